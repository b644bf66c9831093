// Process entry: hands over to the shell's entry point.
#include "shell/shell.h"

int main(int argc, char** argv) { return Boot_Main(argc, argv); }
