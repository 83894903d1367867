/* The LV2 UI in a GTK 2 host through suil's X11 wrapper, as Ardour 7 shows it:
 * a top-level window holding a bar of the host's above the wrapped panel.
 * The host's factor changes through the UI's options interface (as the size
 * menu's choice, it makes the panel ask with ui:resize); after each change the
 * window must fit the panel, smaller sizes included. Exits 0 when it always
 * does, 1 with a line saying where not, 77 when the UI cannot be opened here.
 * Usage: suil_gtk2_host BUNDLE_DIR (needs a display). */
#include <gtk/gtk.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <suil/suil.h>
#include <unistd.h>

static char* mapped[32];
static int mappedCount;

static LV2_URID map(LV2_URID_Map_Handle handle, const char* uri) {
  (void)handle;
  for (int i = 0; i < mappedCount; ++i)
    if (strcmp(mapped[i], uri) == 0) return (LV2_URID)(i + 1);
  if (mappedCount == 32) return 0;
  mapped[mappedCount] = strdup(uri);
  return (LV2_URID)++mappedCount;
}

static void writePort(SuilController controller, uint32_t port, uint32_t size, uint32_t protocol,
                      const void* buffer) {
  (void)controller, (void)port, (void)size, (void)protocol, (void)buffer;
}

static uint32_t portIndex(SuilController controller, const char* symbol) {
  (void)controller, (void)symbol;
  return 0;
}

/* The window and the panel's area at the sizes of step `i`. */
static GtkWidget *window, *bar, *panel;
static const int widths[] = {586, 1172, 586, 879, 586}, heights[] = {385, 770, 385, 578, 385};

static int fits(int i) {
  int width = 0, height = 0;
  gtk_window_get_size(GTK_WINDOW(window), &width, &height);
  return width == widths[i] && height == heights[i] + bar->allocation.height &&
         panel->allocation.width == widths[i] && panel->allocation.height == heights[i];
}

/* Runs GTK's loop (and so suil's idle calls of the UI) until the window fits
   step `i`, or for a generous limit (a loaded machine, valgrind). */
static void runUntilFits(int i) {
  const gint64 end = g_get_monotonic_time() + (gint64)30 * 1000 * 1000;
  while (!fits(i) && g_get_monotonic_time() < end) {
    while (gtk_events_pending()) gtk_main_iteration();
    g_usleep(5000);
  }
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: suil_gtk2_host BUNDLE_DIR\n");
    return 2;
  }
  /* No size choice of a user's, nor from the environment. */
  char config[] = "/tmp/suil-gtk2-XXXXXX";
  if (!mkdtemp(config)) return 2;
  setenv("XDG_CONFIG_HOME", config, 1);
  unsetenv("QUILLET_UI_SCALE");
  if (!gtk_init_check(&argc, &argv)) {
    fprintf(stderr, "suil_gtk2_host: no display\n");
    return 77;
  }
  char binary[4096];
  snprintf(binary, sizeof binary, "%s/quillet_k3_ui.so", argv[1]);

  float factor = 1.0f;
  LV2_URID_Map mapFeature = {NULL, map};
  const LV2_Feature urid = {LV2_URID__map, &mapFeature};
  LV2_Options_Option options[2] = {{LV2_OPTIONS_INSTANCE, 0, map(NULL, LV2_UI__scaleFactor),
                                    sizeof(float), map(NULL, LV2_ATOM__Float), &factor},
                                   {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, NULL}};
  const LV2_Feature optionsFeature = {LV2_OPTIONS__options, options};
  const LV2_Feature* features[] = {&urid, &optionsFeature, NULL};
  SuilHost* host = suil_host_new(writePort, portIndex, NULL, NULL);
  SuilInstance* ui =
      suil_instance_new(host, NULL, LV2_UI__GtkUI, "urn:marrowledge:quillet-k3",
                        "urn:marrowledge:quillet-k3#ui", LV2_UI__X11UI, argv[1], binary, features);
  if (!ui) {
    fprintf(stderr, "suil_gtk2_host: suil cannot open the UI in GTK 2\n");
    return 77;
  }
  window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* box = gtk_vbox_new(FALSE, 0);
  bar = gtk_label_new("host bar");
  panel = (GtkWidget*)suil_instance_get_widget(ui);
  gtk_box_pack_start(GTK_BOX(box), bar, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), panel, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(window), box);
  gtk_widget_show_all(window);

  const LV2_Options_Interface* interface =
      (const LV2_Options_Interface*)suil_instance_extension_data(ui, LV2_OPTIONS__interface);
  if (!interface || !interface->set) {
    fprintf(stderr, "suil_gtk2_host: the UI has no options interface\n");
    return 1;
  }
  const float factors[] = {1.0f, 2.0f, 1.0f, 1.5f, 1.0f};
  int failed = 0;
  for (int i = 0; i < 5 && !failed; ++i) {
    if (i > 0) {
      factor = factors[i];
      interface->set(suil_instance_get_handle(ui), options);
    }
    runUntilFits(i);
    int width = 0, height = 0;
    gtk_window_get_size(GTK_WINDOW(window), &width, &height);
    printf("factor %.1f: window %dx%d, panel's area %dx%d (expected %dx%d and a bar of %d)\n",
           factors[i], width, height, panel->allocation.width, panel->allocation.height, widths[i],
           heights[i], bar->allocation.height);
    failed = !fits(i);
  }
  suil_instance_free(ui);
  suil_host_free(host);
  gtk_widget_destroy(window);
  rmdir(config);
  if (failed) fprintf(stderr, "suil_gtk2_host: the window does not fit the panel\n");
  return failed ? 1 : 0;
}
