// zt640: the desktop configuration utility.
#include "shell/app_entry.h"

int main(int argc, char** argv) { return zt640::RunApplication(argc, argv); }
