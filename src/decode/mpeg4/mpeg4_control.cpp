#include "decode/mpeg4/mpeg4_control.h"

#include "decode/diagnostics.h"

namespace kd::mpeg4 {

int mpeg4Control(Mpeg4Decoder* handle, int option, void* input, void* output) {
  if (!handle) return control_result::kBadParameter;
  switch (option) {
    case control_option::kQueryMemory: {
      auto* query = static_cast<MemoryQuery*>(output ? output : input);
      if (!query || query->width <= 0 || query->height <= 0) return control_result::kBadParameter;
      Mpeg4Decoder::memoryNeeded(query->width, query->height, query->blockSizes);
      return control_result::kDone;
    }
    case control_option::kInitialise: {
      auto* p = static_cast<InitialiseParameters*>(input);
      if (!p || p->outputFormat != kOutputFormatBgr24) return control_result::kBadParameter;
      if (!handle->initialise(p->width, p->height, p->blocks[0], p->blocks[1])) {
        diagnostic("mpeg4: %s\n", handle->lastError().c_str());
        return control_result::kBadParameter;
      }
      return control_result::kDone;
    }
    case control_option::kRelease:
      return control_result::kDone;
    case control_option::kPostProcessing:
      if (!input) return control_result::kBadParameter;
      handle->setPostProcessing(*static_cast<const int*>(input));
      return control_result::kDone;
    default: {
      auto* p = static_cast<DecodeParameters*>(input);
      if (!p || (!p->payload && p->length)) return control_result::kBadParameter;
      if (p->render && (!p->output || p->outputRowLength <= 0 || p->outputHeight <= 0))
        return control_result::kBadParameter;
      Mpeg4Decoder::Output out{p->output, p->outputRowLength, p->outputHeight};
      if (!handle->decode(p->payload, p->length, p->render ? &out : nullptr)) {
        diagnostic("mpeg4: %s\n", handle->lastError().c_str());
        return control_result::kFrameFailed;
      }
      return control_result::kDone;
    }
  }
}

}  // namespace kd::mpeg4
