// Moved to tools/nit_builder, where make_sample_ts uses it too.
#include "tools/nit_builder/nit_layouts.h"
