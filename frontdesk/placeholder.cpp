// The front-desk library; its screens and data module join it as they are built.
