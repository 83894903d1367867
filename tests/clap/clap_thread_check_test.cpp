// The thread checks of debug builds, in the module built with them: a host
// that offers thread-check and calls a main-thread function from elsewhere,
// or process off the audio thread, stops with a message naming the call.
#include <atomic>
#include <thread>

#include "clap/interface/clap_gui.h"
#include "tests/clap/clap_test_host.h"

namespace {

using quillet::test::Instance;
using quillet::test::TestHost;

// A host that answers thread-check from what the test says.
class CheckingHost : public TestHost {
 public:
  CheckingHost() {
    record_ = *TestHost::host();
    record_.host_data = this;
    record_.get_extension = [](const clap_host_t* h, const char* id) -> const void* {
      auto* self = static_cast<CheckingHost*>(h->host_data);
      if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0) return &self->check_;
      return nullptr;
    };
  }
  const clap_host_t* host() const { return &record_; }
  std::atomic<bool> main{true};
  std::atomic<bool> audio{false};

 private:
  clap_host_t record_{};
  clap_host_thread_check_t check_ = {
      [](const clap_host_t* h) { return static_cast<CheckingHost*>(h->host_data)->main.load(); },
      [](const clap_host_t* h) { return static_cast<CheckingHost*>(h->host_data)->audio.load(); },
  };
};

// An instance made for a host whose record is not TestHost's own.
const clap_plugin_t* create(const CheckingHost& host) {
  auto* f = quillet::test::factory<clap_plugin_factory_t>("clap.plugin-factory");
  const clap_plugin_t* p = f->create_plugin(f, host.host(), "com.marrowledge.quillet-k3");
  if (p != nullptr && !p->init(p)) return nullptr;
  return p;
}

TEST(ClapThreadCheckDeathTest, AMainThreadCallFromElsewhereStopsTheHost) {
  CheckingHost host;
  const clap_plugin_t* plugin = create(host);
  ASSERT_NE(plugin, nullptr);
  auto* params =
      static_cast<const clap_plugin_params_t*>(plugin->get_extension(plugin, "clap.params"));
  double value = 0;
  EXPECT_TRUE(params->get_value(plugin, 0, &value));  // on the main thread: fine
  host.main = false;
  EXPECT_DEATH(params->get_value(plugin, 0, &value),
               "called params.get_value outside the main thread");
  EXPECT_DEATH(plugin->activate(plugin, 48000, 1, 512), "called activate outside the main thread");
  host.main = true;
  plugin->destroy(plugin);
}

TEST(ClapThreadCheckDeathTest, ProcessAndFlushWhileActiveWantTheAudioThread) {
  CheckingHost host;
  const clap_plugin_t* plugin = create(host);
  ASSERT_NE(plugin, nullptr);
  ASSERT_TRUE(plugin->activate(plugin, 48000, 1, 512));
  clap_process_t process{};
  EXPECT_DEATH(plugin->process(plugin, &process), "called process outside the audio thread");
  auto* params =
      static_cast<const clap_plugin_params_t*>(plugin->get_extension(plugin, "clap.params"));
  EXPECT_DEATH(params->flush(plugin, nullptr, nullptr),
               "called params.flush outside the audio thread");
  host.audio = true;
  params->flush(plugin, nullptr, nullptr);  // on the audio thread: fine
  host.audio = false;
  plugin->deactivate(plugin);
  params->flush(plugin, nullptr, nullptr);  // inactive, on the main thread: fine
  plugin->destroy(plugin);
}

}  // namespace
