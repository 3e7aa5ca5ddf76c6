#include "cli/cli.h"

int main(int argc, char** argv) { return veilmark::cli::Main(argc, argv); }
