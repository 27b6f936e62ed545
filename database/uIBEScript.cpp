#include "uIBEScript.h"
