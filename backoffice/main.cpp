#include "BackOffice.h"

int main(int argc, char** argv) {
    return kx::backoffice::runBackOffice(argc, argv);
}
