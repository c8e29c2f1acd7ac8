#include "Tesmo.h"

int main(int argc, char** argv) { return tesmo::runTesmo(argc, argv); }
