// The pictures and the icon of the Windows resource script, built into the
// window module.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstddef>

namespace ostrel::gtk_dialog {

struct EmbeddedResource {
  int id;
  const unsigned char* bytes;
  size_t size;
};

extern const EmbeddedResource kEmbeddedResources[];
extern const size_t kEmbeddedResourceCount;

// The picture of a resource id as a new reference; nullptr for an unknown id or
// undecodable bytes.
GdkPixbuf* LoadResourcePicture(int id);

}  // namespace ostrel::gtk_dialog
