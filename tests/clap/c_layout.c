/* The declarations compile as C as well; the sizes a C compiler gives them
 * are compared with C++'s in the tests. */
#include "clap/interface/clap_audio_extensions.h"
#include "clap/interface/clap_gui.h"
#include "clap/interface/clap_presets.h"

size_t quilletClapLayoutSizesFromC(void);

size_t quilletClapLayoutSizesFromC(void) {
  return sizeof(clap_plugin_t) + sizeof(clap_host_t) + sizeof(clap_process_t) +
         sizeof(clap_event_transport_t) + sizeof(clap_param_info_t) +
         sizeof(clap_audio_port_info_t) + sizeof(clap_window_t) +
         sizeof(clap_preset_discovery_indexer_t);
}
