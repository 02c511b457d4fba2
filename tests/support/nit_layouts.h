#include "tools/nit_builder/nit_layouts.h"  // moved there
