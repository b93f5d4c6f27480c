#include "host/CHost.h"

#include <cstdio>
#include <string>

#include "frame/fwbase.h"
#include "host/CPluginLoader.h"
#include "host/CRequestHandler.h"
#include "host/CServer.h"
#include "host/CSocketFile.h"
#include "host/objects/host_objects.h"
#include "host/report.h"
#include "platform/base/CRpcService.h"

namespace host {

namespace {

const char kRpcObjectName[] = "obj.fws.rpc";

sigset_t stop_signals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  return signals;
}

std::string join(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

CHost::CHost(const COptions& options) : options_(options) {}

void CHost::block_signals() {
  sigset_t signals = stop_signals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

int CHost::run() {
  fwbase::IGlobalEnv* env = fwbase::IFWBase::instance()->global_env();
  rpc::CRpcService rpc_service;
  ec::EC code = env->register_object(kRpcObjectName, &rpc_service);
  if (ec::failed(code)) {
    report(std::string("cannot register ") + kRpcObjectName + ": code " + ec::to_text(code));
    return 1;
  }
  int status = 1;
  // The socket comes before the plug-ins, so that a second host refuses to
  // start without having started them; it goes last.
  CSocketFile socket(options_.socket_path());
  std::string error;
  code = register_host_objects(*env, options_.install_dir());
  if (ec::failed(code)) {
    report("cannot register the host objects: code " + ec::to_text(code));
  } else if (!socket.open(error)) {
    report(error);
  } else {
    status = serve_until_signal(socket.fd(), *rpc_service.factory());
  }
  unregister_host_objects(*env);
  env->unregister_object(kRpcObjectName);
  socket.remove();
  return status;
}

int CHost::serve_until_signal(int listen_fd, rpc::IRpcFactory& factory) {
  CPluginLoader plugins;
  std::vector<std::string> files = options_.plugins();
  if (files.empty()) files = CPluginLoader::discover(options_.plugin_dir());
  plugins.load(options_.plugin_dir(), files);

  CRequestHandler handler(plugins, factory, *fwbase::IFWBase::instance()->block_allocator());
  CServer server(handler, options_.threads());
  std::string error;
  if (!server.start(listen_fd, error)) {
    report(error);
    return 1;  // the loader releases and closes the plug-ins
  }
  std::vector<std::string> names = plugins.names();
  std::printf("agent_host: serving on %s with %zu plug-in(s)%s%s\n",
              options_.socket_path().c_str(), names.size(), names.empty() ? "" : ": ",
              join(names).c_str());
  std::fflush(stdout);

  int signal_number = wait_for_stop_signal();
  std::printf("agent_host: stopping on signal %d\n", signal_number);
  std::fflush(stdout);
  server.stop();
  plugins.unload();
  return 0;
}

int CHost::wait_for_stop_signal() {
  sigset_t signals = stop_signals();
  for (;;) {
    int number = sigwaitinfo(&signals, nullptr);
    if (number > 0) return number;
  }
}

}  // namespace host
