#include "qt/TactiloApp.h"

int main(int argc, char** argv) {
    return CTactiloApp::Run(argc, argv);
}
