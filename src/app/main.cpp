// Until the main window exists the program reports what has been built.
#include "model/ParamDefaults.h"

#include <cstdio>

int main() {
    korva::ParamModel model;
    korva::InitParamDefaults(model, false);
    std::printf("korva-tuner: parameter model ready (%d groups x %d addresses); the window comes next.\n",
                korva::kGroupCount, korva::kAddressCount);
    return 0;
}
