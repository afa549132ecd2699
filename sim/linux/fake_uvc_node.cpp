// libfake_uvc_node.so: preloaded (LD_PRELOAD) into an unchanged program, it answers the camera
// nodes of a simulated world as uvcvideo would, so that the shipped ostrel and libtandrel.so run
// against the ZEL camera model. It takes over open, open64, openat, openat64, __open_2,
// __open64_2, close and ioctl; everything else reaches the system, so the fake sysfs tree and
// the device nodes come from the test's mount namespace.
//
// FAKE_UVC_WORLD names the world file (the simulator's simcam.ini format). Each [CameraN]
// section's DevicePath is its node (/dev/videoN, a character device node whose number ties it
// to /sys/dev/char/MAJ:MIN); Model=zel cameras answer from the model, other models only have
// the descriptors of their sysfs tree. An open of such a node returns an eventfd standing for
// it; UVCIOC_CTRL_QUERY on it is checked and answered (see uvc_node.h), any other ioctl fails
// with ENOTTY. Node keys of a camera section, beside the model's own:
//   OpenDenied=1                      opening the node fails with EACCES (root ignores modes)
//   BusyLenFrom=N, BusyLenCount=M     from the node's N-th query on, M size queries get EBUSY
// Not faked: VIDIOC_* ioctls, read/mmap streaming, poll, the node vanishing on an unplug (the
// model answers ENODEV instead), a stalled device's time-out (StallAfter blocks).
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>

#include "linux/node_table.h"

namespace {

using sim::linux_node::NodeTable;
using sim::linux_node::UvcNode;

// Set while the table loads: the character devices it opens itself go to the system.
thread_local bool loading = false;

// The table, loaded by the first open of a character device; null while it loads.
NodeTable* LoadTable() {
  if (loading) return nullptr;
  loading = true;
  NodeTable& table = NodeTable::Instance();
  loading = false;
  return &table;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

using OpenAtCall = int (*)(int, const char*, int, ...);

OpenAtCall SystemOpenAt() {
  static const OpenAtCall call = Next<OpenAtCall>("openat");
  return call;
}

OpenAtCall SystemOpenAt64() {
  static const OpenAtCall call = Next<OpenAtCall>("openat64");
  return call;
}

// A camera node gets a fake descriptor (or -1 with errno); any other path goes to the system.
int OpenAt(OpenAtCall system, int dirfd, const char* path, int flags, mode_t mode) {
  struct stat node {};
  const bool device = path != nullptr && fstatat(dirfd, path, &node, 0) == 0 && S_ISCHR(node.st_mode);
  NodeTable* const table = device ? LoadTable() : nullptr;
  UvcNode* const camera = table != nullptr ? table->ByDevice(node.st_rdev) : nullptr;
  if (camera == nullptr) return system(dirfd, path, flags, mode);
  if (camera->OpenDenied()) {
    errno = EACCES;
    return -1;
  }
  const int fd = eventfd(0, (flags & O_CLOEXEC) != 0 ? EFD_CLOEXEC : 0);
  if (fd >= 0) table->Opened(fd, camera);
  return fd;
}

mode_t ModeArgument(int flags, va_list arguments) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, unsigned)) : 0;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int open(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  return OpenAt(SystemOpenAt(), AT_FDCWD, path, flags, mode);
}

__attribute__((visibility("default"))) int open64(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  return OpenAt(SystemOpenAt64(), AT_FDCWD, path, flags, mode);
}

__attribute__((visibility("default"))) int __open_2(const char* path, int flags) {
  return OpenAt(SystemOpenAt(), AT_FDCWD, path, flags, 0);
}

__attribute__((visibility("default"))) int __open64_2(const char* path, int flags) {
  return OpenAt(SystemOpenAt64(), AT_FDCWD, path, flags, 0);
}

__attribute__((visibility("default"))) int openat(int dirfd, const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  return OpenAt(SystemOpenAt(), dirfd, path, flags, mode);
}

__attribute__((visibility("default"))) int openat64(int dirfd, const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  return OpenAt(SystemOpenAt64(), dirfd, path, flags, mode);
}

__attribute__((visibility("default"))) int close(int fd) {
  static const auto realClose = Next<int (*)(int)>("close");
  if (NodeTable* const table = NodeTable::Loaded()) table->Closed(fd);
  return realClose(fd);
}

__attribute__((visibility("default"))) int ioctl(int fd, unsigned long request, ...) noexcept {
  va_list arguments;
  va_start(arguments, request);
  void* const argument = va_arg(arguments, void*);
  va_end(arguments);
  NodeTable* const table = NodeTable::Loaded();
  if (UvcNode* const camera = table != nullptr ? table->ByDescriptor(fd) : nullptr) {
    const int error = request == UVCIOC_CTRL_QUERY && argument != nullptr
                          ? camera->Query(*static_cast<uvc_xu_control_query*>(argument))
                          : ENOTTY;
    if (error == 0) return 0;
    errno = error;
    return -1;
  }
  static const auto realIoctl = Next<int (*)(int, unsigned long, ...)>("ioctl");
  return realIoctl(fd, request, argument);
}

}  // extern "C"
