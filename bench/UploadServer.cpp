// A stand-alone program for bench/upload-memory.sh: a main form with one file uploader (no size limit) that saves
// every upload into $UPLOAD_BENCH_DIR/saved/; the controller's cache folder (and so its temporary files) lies in
// $UPLOAD_BENCH_DIR too, so that the script can see what an upload leaves behind.
//   kx_bench_upload_server --port 0 --max-body 512
#include <cstdlib>
#include <string>

#include "kx/kx.h"

using namespace kx;

namespace {

std::string BenchFolder() {
  const char* folder = std::getenv("UPLOAD_BENCH_DIR");
  return folder != nullptr && *folder != 0 ? std::string(folder) + "/" : std::string("/tmp/kx-upload-bench/");
}

class TUploadBenchController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TUploadBenchController, TKXServerControllerBase)

 protected:
  void InitDesignTime() override {
    TKXServerControllerBase::InitDesignTime();
    SetAppName("UploadBench");
    SetCacheDir(BenchFolder() + "cache");
  }
};

class TUploadBenchForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TUploadBenchForm, TKXAppForm)

 protected:
  void BuildComponents() override {
    auto* uploader = Create<TKXFileUploader>(this);
    uploader->SetName("UP1");
    uploader->SetParent(this);
    uploader->SetMaxFileSize(0);
    uploader->SetAutoSave(true);
    uploader->SetAutoSavePath(BenchFolder() + "saved");
  }
};

}  // namespace

int main(int argc, char** argv) { return RunStandAlone<TUploadBenchController, TUploadBenchForm>(argc, argv); }
