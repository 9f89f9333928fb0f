// Data modules per session: the platform tells AddDataModule and RemoveDataModule about every data module made and
// freed, and by default keeps them in one process-wide list. In a server a data module belongs to the session whose
// request made it: TKXFormListManager takes over the two routines so that a module made while a session is bound
// to the thread is listed by that session. Ownership does not change (the session frees what it owns, as ever), and
// the session drops the module from its list whenever it is freed, on whatever thread.
#pragma once

#include "kx/platform/Components.h"

namespace kx {

class TKXFormListManager {
 public:
  // Saves the installed AddDataModule / RemoveDataModule routines and installs its own.
  TKXFormListManager();
  // Puts the saved routines back.
  ~TKXFormListManager();
  TKXFormListManager(const TKXFormListManager&) = delete;
  TKXFormListManager& operator=(const TKXFormListManager&) = delete;

  // A module in design state goes to the saved routine. Otherwise, with a session bound to the calling thread, the
  // session lists it; with no session nothing is registered.
  void AddDataModule(TDataModule* dataModule);
  // A module in design state goes to the saved routine; otherwise the bound session, if any, drops it.
  void RemoveDataModule(TDataModule* dataModule);

 private:
  TDataModuleProc FAddDataModule;
  TDataModuleProc FRemoveDataModule;
};

// The process's manager (GFormListManager): nullptr until InstallFormListManager made it; it lives until the
// process ends, when the platform's routines come back.
TKXFormListManager* GFormListManager();
// Makes the process's manager once; later calls change nothing. Part of the start-up sequence.
void InstallFormListManager();

}  // namespace kx
