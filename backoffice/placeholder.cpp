// The back-office library; its screens and data modules join it as they are built.
