// The stand-alone server component: what a stand-alone program creates to serve its application. Creating it
// runs the start-up sequence, has the host's gAppInit create the server controller and installs HttpExecute as
// the request entry point; starting it runs TKXStandAloneServer with the controller's configuration.
// Builds on hosts/StandAloneServer.h, appserver/ServerController.h and appserver/Server.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kx/appserver/ServerController.h"
#include "kx/controls/ControlFamily.h"  // InstallLayers
#include "kx/hosts/StandAloneServer.h"

namespace kx {

// An application-init procedure for gAppInit: creates a controller of gServerControllerClass and stores it in gSC
// and gServerController. Raises Exception when no class is set or the class makes no server controller.
void CreateServerController();

// The addresses of a BoundIP value: one address, or several separated by commas, semicolons or blanks.
std::vector<std::string> SplitBoundIPs(std::string_view boundIP);

// The server's options from the controller's configuration: Port, the BoundIP addresses, SSLOptions (Port,
// NonSSLRequest, CertificatePassword, CipherList), the certificate files from the application folder (gGetAppPath
// when set, else the program's), and Compression. A port outside 0..65535 raises Exception. The server always
// speaks TLS 1.2 or later, whatever SSLVersion asks for.
TKXStandAloneServerOptions ServerOptionsFrom(const TKXServerControllerBase& controller);

class TKXStandAloneApp {
 public:
  // Runs InstallLayers() into the calling thread's runtime. While gSC is empty, calls gAppInit (CreateServerController when gAppInit is not set) and
  // raises Exception when that leaves gSC empty; a controller made here belongs to this object. Installs
  // HttpExecute into gHttpExecuteHook when that is still empty. GAppType becomes atStandAlone.
  TKXStandAloneApp();
  TKXStandAloneApp(const TKXStandAloneApp&) = delete;
  TKXStandAloneApp& operator=(const TKXStandAloneApp&) = delete;
  // Stops the server, takes out the hook it installed and frees the controller it made, in this order.
  ~TKXStandAloneApp();

  TKXServerControllerBase& Controller() const { return *mController; }
  // Whether the controller was made by this object (and is freed with it).
  bool OwnsController() const { return mOwnedController != nullptr; }
  // nullptr until started.
  TKXStandAloneServer* Server() const { return mServer.get(); }
  bool Active() const { return mServer && mServer->Active(); }
  // The ports the plain and the TLS server listen on; 0 when that server is not active.
  std::uint16_t Port() const { return mServer ? mServer->Port() : 0; }
  std::uint16_t SSLPort() const { return mServer ? mServer->SSLPort() : 0; }

  // Checks that every seam of the runtime is filled (TKXRuntime::CheckSeams raises naming the first that is not),
  // pre-compresses the internal scripts and style sheets when the controller's compression is enabled with gzip
  // and PreCompress, starts the server with ServerOptionsFrom(Controller()) (which logs one line per address it
  // listens on) and writes the plain server's bound port back into the controller's Port. Raises what the server
  // raises; nothing listens then. Starting a started component does nothing.
  void Start();
  // Adjusts the server's options after ServerOptionsFrom, before Start uses them (the command line's body limit).
  std::function<void(TKXStandAloneServerOptions&)> OnServerOptions;
  // Stops the server (at most its StopTimeout); the controller stays.
  void Stop();

 private:
  TKXServerControllerBase* mController = nullptr;
  TOwnedComponent<TKXServerControllerBase> mOwnedController;
  bool mInstalledHook = false;
  std::unique_ptr<TKXStandAloneServer> mServer;
};

}  // namespace kx
