#include "core/file_store.h"

namespace velq {

std::string TempPathBeside(const std::string& target) { return target + ".velq-tmp"; }

}  // namespace velq
