// uvc_query NODE UNIT SELECTOR: one UVCIOC_CTRL_QUERY GET_CUR of 64 bytes on an extension-unit
// control, as the library sends it, and the errno the driver answered ("ok" on success), so
// that the bench can show what uvcvideo makes of each request error code.
#include <fcntl.h>
#include <linux/usb/video.h>
#include <linux/uvcvideo.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* ErrnoName(int error) {
  switch (error) {
    case EBUSY: return "EBUSY";
    case EACCES: return "EACCES";
    case EILSEQ: return "EILSEQ";
    case EREMOTE: return "EREMOTE";
    case ERANGE: return "ERANGE";
    case EIO: return "EIO";
    case EINVAL: return "EINVAL";
    case EPIPE: return "EPIPE";
    case ENOENT: return "ENOENT";
    case ENODEV: return "ENODEV";
    case EPROTO: return "EPROTO";
    case ETIMEDOUT: return "ETIMEDOUT";
    default: return "other";
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: uvc_query NODE UNIT SELECTOR\n");
    return 2;
  }
  const int fd = open(argv[1], O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    std::printf("open %s (%d)\n", ErrnoName(errno), errno);
    return 1;
  }
  unsigned char data[64] = {};
  uvc_xu_control_query query{};
  query.unit = static_cast<__u8>(std::atoi(argv[2]));
  query.selector = static_cast<__u8>(std::atoi(argv[3]));
  query.query = UVC_GET_CUR;
  query.size = sizeof data;
  query.data = data;
  const int result = ioctl(fd, UVCIOC_CTRL_QUERY, &query);
  const int error = errno;
  close(fd);
  if (result == 0) {
    std::printf("ok\n");
    return 0;
  }
  std::printf("%s (%d)\n", ErrnoName(error), error);
  return 1;
}
