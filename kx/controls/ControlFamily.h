// A control family is one folder of kx/controls/: its controls, its client scripts, styles and images (listed in
// the folder's resources.txt, embedded by the build), and one registration that says what the family brings to a
// runtime. ControlFamilies.cpp lists every family once; adding a family touches its folder, its tests and that
// list, nothing in the application server or the hosts.
//
//   // kx/controls/tree/TreeView.cpp
//   constexpr TKXFamilyFile kTreeFiles[] = {{"KX_JS_KXTREE", "/js/KXTree.js"}};
//   constexpr TKXFamilyFile kTreeReadable[] = {{"KX_JS_KXTREE_DBG", "/js/KXTree.js"}};
//   const TKXControlFamily& TreeFamily() {
//     static const TKXControlFamily family{.Name = "tree", .Files = kTreeFiles, .ReadableFiles = kTreeReadable};
//     return family;
//   }
#pragma once

#include <span>

#include "kx/platform/Components.h"

namespace kx {

// An embedded file and the URL path the server serves it under ("$/" + path).
struct TKXFamilyFile {
  const char* ResourceName;
  const char* URLPath;
};

struct TKXControlFamily {
  using TClassRecord = const TComponentClass& (*)();

  // The folder's name, for messages.
  const char* Name = "";
  // Form classes of the family, registered as form types (the application form).
  std::span<const TClassRecord> FormTypes = {};
  // Served from install on.
  std::span<const TKXFamilyFile> Files = {};
  // The readable variants ("..._DBG") of its scripts, served in their place while the internal files use
  // uncompressed files.
  std::span<const TKXFamilyFile> ReadableFiles = {};
  // What else the family plugs into the runtime (seams of the lower layers); may be empty.
  void (*Install)() = nullptr;
};

// Installs family into the calling thread's runtime: its form types, its files, then its Install step. Needs
// Startup() and InstallForms() first.
void InstallControlFamily(const TKXControlFamily& family);

// Every family of the library, in install order.
std::span<const TKXControlFamily* const> ControlFamilies();

// The whole library into the calling thread's runtime: Startup() (the application server), InstallForms(), then
// every control family. The stand-alone entry point and the test runtimes call it. Raises Exception when no
// runtime exists.
void InstallLayers();

}  // namespace kx
