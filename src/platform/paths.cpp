#include "platform/platform.h"

namespace kv::platform {
namespace {
std::size_t NameStart(const std::string& path) {
  const std::size_t last = path.find_last_of("\\/:");
  return last == std::string::npos ? 0 : last + 1;
}
} // namespace

std::string FolderOf(const std::string& path) {
  return path.substr(0, NameStart(path));
}

std::string FileNameOf(const std::string& path) {
  return path.substr(NameStart(path));
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    native_ = other.release();
  }
  return *this;
}

std::intptr_t File::release() {
  const std::intptr_t native = native_;
  native_ = kInvalid;
  return native;
}

} // namespace kv::platform
