#include "FrontDesk.h"

int main(int argc, char** argv) { return kx::frontdesk::runFrontDesk(argc, argv); }
