#include "shell/CVelmoraApp.h"

int main(int argc, char** argv) {
    return CVelmoraApp::Run(argc, argv);
}
