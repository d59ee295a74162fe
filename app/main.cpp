// Program entry; mingw accepts main for a GUI-subsystem executable.

#include "app/program.h"

int main() { return VarnexMain(); }
