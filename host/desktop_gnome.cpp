// GNOME's double-click time: GSettings, org.gnome.desktop.peripherals.mouse, key double-click.
#include <gio/gio.h>

#include "host/desktop_home.h"

namespace qx {

namespace {

constexpr char kSchema[] = "org.gnome.desktop.peripherals.mouse";
constexpr char kKey[] = "double-click";

struct Unref {
  void operator()(GSettings* settings) const { g_object_unref(settings); }
};
using Settings = std::unique_ptr<GSettings, Unref>;

class GnomeHome : public DoubleClickHome {
 public:
  std::optional<unsigned> Read() const override {
    const int milliseconds = g_settings_get_int(Settings(g_settings_new(kSchema)).get(), kKey);
    if (milliseconds < 0) return std::nullopt;
    return static_cast<unsigned>(milliseconds);
  }

  bool Write(unsigned milliseconds) const override {
    if (milliseconds > G_MAXINT) return false;
    const bool written = g_settings_set_int(Settings(g_settings_new(kSchema)).get(), kKey, int(milliseconds));
    // A program that ends at once still leaves the value in the desktop's store.
    g_settings_sync();
    return written;
  }
};

}  // namespace

std::unique_ptr<DoubleClickHome> GnomeDoubleClickHome() {
  // GSettings ends the program on a schema or key that is not installed: look for them first.
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, kSchema, TRUE) : nullptr;
  const bool installed = schema && g_settings_schema_has_key(schema, kKey);
  if (schema) g_settings_schema_unref(schema);
  return installed ? std::make_unique<GnomeHome>() : nullptr;
}

}  // namespace qx
