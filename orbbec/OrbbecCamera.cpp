// Placeholder until OrbbecCamera lands.
#include "OrbbecCamera.h"
