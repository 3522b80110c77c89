#include "addfolder.h"
