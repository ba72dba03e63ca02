// veltrano: the console's window.
#include "qt/window_program.h"

int main(int argc, char** argv) {
    veltrano::qt::WindowOptions options;
    if (!veltrano::qt::ParseWindowOptions(argc, argv, &options)) return 64;
    return veltrano::qt::RunWindowProgram(argc, argv, options);
}
