#pragma once
// The caption record of a four-channel play window channel: made when the channel opens, brought
// up to date with every frame shown.
#include <cstdint>

#include "playback/caption_info.h"

namespace kd {

class RecordingInfo;

// `channel` names the camera of a four-camera recording (ignored for the others).
CaptionInfo makeQuadCaption(const RecordingInfo& info, int channel, int width, int height,
                            uint32_t paneFlags);
// `time` is the shown frame's clock time in seconds.
void updateQuadCaption(CaptionInfo& caption, bool noPicture, bool withSound, int64_t time,
                       uint32_t paneFlags, uint32_t colour);

}  // namespace kd
