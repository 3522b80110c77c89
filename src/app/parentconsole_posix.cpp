#include "parentconsole.h"

void UseParentConsole() {}
