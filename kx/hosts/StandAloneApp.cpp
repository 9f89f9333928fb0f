#include "kx/hosts/StandAloneApp.h"

#include "kx/appserver/InternalFiles.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/Server.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/FileUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

std::uint16_t CheckedPort(std::int32_t port) {
  if (port < 0 || port > 65535) throw Exception(Format("Invalid port %d.", port));
  return std::uint16_t(port);
}

THostNonSSLRequest HostNonSSLRequest(TKXNonSSLRequest value) {
  switch (value) {
    case nsBlock: return THostNonSSLRequest::Block;
    case nsRedirect: return THostNonSSLRequest::Redirect;
    case nsAccept: break;
  }
  return THostNonSSLRequest::Accept;
}

}  // namespace

void CreateServerController() {
  if (!gServerControllerClass)
    throw Exception("No server controller class is set: call SetServerControllerClass<T>() first.");
  // An abstract class has no creation function.
  TComponent* created = gServerControllerClass->Create ? gServerControllerClass->Create(nullptr) : nullptr;
  auto* controller = dynamic_cast<TKXServerControllerBase*>(created);
  if (!controller) {
    if (created) created->Free();
    throw Exception("The server controller class " + std::string(gServerControllerClass->Name) +
                    " does not make a server controller.");
  }
  gSC = gServerController = controller;
}

std::vector<std::string> SplitBoundIPs(std::string_view boundIP) {
  std::vector<std::string> addresses;
  std::string current;
  for (char c : boundIP) {
    if (c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (!current.empty()) addresses.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) addresses.push_back(std::move(current));
  return addresses;
}

TKXStandAloneServerOptions ServerOptionsFrom(const TKXServerControllerBase& controller) {
  TKXStandAloneServerOptions options;
  options.Port = CheckedPort(controller.Port());
  options.BoundIPs = SplitBoundIPs(controller.BoundIP());
  const TKXSSLOptions& ssl = *controller.SSLOptions();
  options.SSLPort = CheckedPort(ssl.Port());
  options.NonSSLRequest = HostNonSSLRequest(ssl.NonSSLRequest());
  options.CertificatePassword = ssl.CertificatePassword();
  options.CipherList = ssl.CipherList();
  // The controller's application folder: the host's answer when it gives one.
  options.CertificateFolder = gGetAppPath ? IncludeTrailingPathDelim(gGetAppPath()) : gsAppPath();
  const TKXCompressionOptions& compression = *controller.Compression();
  options.Compression.Enabled = compression.Enabled();
  options.Compression.Level = compression.Level();
  options.Compression.MinSize = compression.MinSize();
  options.Compression.AllowGZip = compression.AllowGZip();
  options.Compression.AllowDeflate = compression.AllowDeflate();
  return options;
}

// ---------------------------------------------------------------------------
// TKXStandAloneApp

TKXStandAloneApp::TKXStandAloneApp() {
  InstallLayers();
  GAppType = atStandAlone;
  if (!gSC) {
    try {
      if (gAppInit)
        gAppInit();
      else
        CreateServerController();
    } catch (...) {
      // A controller the failed procedure left behind is freed here; nobody else knows of it.
      if (gSC) {
        try {
          gSC->Free();
        } catch (...) {
          // The procedure's exception is the one to report.
        }
      }
      throw;
    }
    if (!gSC) throw Exception("The application-init procedure (gAppInit) created no server controller.");
    mOwnedController.reset(gSC);
  }
  mController = gSC;
  if (!gHttpExecuteHook) {
    gHttpExecuteHook = &HttpExecute;
    mInstalledHook = true;
  }
}

TKXStandAloneApp::~TKXStandAloneApp() {
  Stop();
  if (mInstalledHook && gHttpExecuteHook == &HttpExecute) gHttpExecuteHook = nullptr;
  mOwnedController.reset();  // clears gSC and gServerController
}

void TKXStandAloneApp::Start() {
  if (mServer) return;
  TKXRuntime::Required().CheckSeams();
  TKXStandAloneServerOptions options = ServerOptionsFrom(*mController);
  if (OnServerOptions) OnServerOptions(options);
  const TKXCompressionOptions& compression = *mController->Compression();
  // Pre-compressed entries are gzip data; only what is registered now is compressed.
  if (gInternalFiles && compression.Enabled() && compression.AllowGZip() && compression.PreCompress())
    gInternalFiles->SetPreCompressFiles(true);
  auto server = std::make_unique<TKXStandAloneServer>(std::move(options));
  server->Start();
  if (server->Port() != 0) mController->SetPort(server->Port());
  mServer = std::move(server);
}

void TKXStandAloneApp::Stop() {
  if (!mServer) return;
  mServer->Stop();
  mServer.reset();
}

}  // namespace kx
