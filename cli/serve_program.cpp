#include "cli/serve_program.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "cli/exit_codes.h"

namespace velq {

int StartServeProgram(char** argv, std::FILE* err) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  const std::string path = error ? std::string(kServeProgramName) : (self.parent_path() / kServeProgramName).string();
  std::fflush(nullptr);
  if (error) {
    ::execvp(path.c_str(), argv);  // no /proc: look for it on the PATH
  } else {
    ::execv(path.c_str(), argv);
  }
  std::fprintf(err, "velqtp: cannot start %s for velqtp serve: %s\n", path.c_str(), std::strerror(errno));
  return kExitFailure;
}

}  // namespace velq
