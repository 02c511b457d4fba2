#include "tools/nit_builder/nit_builder.h"  // moved there
