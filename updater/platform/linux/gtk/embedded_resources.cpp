#include "platform/linux/gtk/embedded_resources.h"

namespace ostrel::gtk_dialog {

GdkPixbuf* LoadResourcePicture(int id) {
  for (size_t i = 0; i < kEmbeddedResourceCount; ++i) {
    const EmbeddedResource& resource = kEmbeddedResources[i];
    if (resource.id != id) continue;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    GdkPixbuf* picture = nullptr;
    if (gdk_pixbuf_loader_write(loader, resource.bytes, resource.size, nullptr) &&
        gdk_pixbuf_loader_close(loader, nullptr)) {
      picture = gdk_pixbuf_loader_get_pixbuf(loader);
      if (picture != nullptr) g_object_ref(picture);
    } else {
      gdk_pixbuf_loader_close(loader, nullptr);
    }
    g_object_unref(loader);
    return picture;
  }
  return nullptr;
}

}  // namespace ostrel::gtk_dialog
