// Process entry: hands over to the shell's entry point.
int Boot_Main(int argc, char** argv);

int main(int argc, char** argv) { return Boot_Main(argc, argv); }
