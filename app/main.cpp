// Program entry; mingw accepts main for a GUI-subsystem executable.

#include "app/CpuUseage.h"

int main() { return VarnexMain(); }
