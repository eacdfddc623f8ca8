#pragma once
// The recording that holds a face's moment: recorders keep face files under a "face" folder and
// recordings under its sibling "video" folder.
#include <optional>
#include <string>

namespace kd {

struct FaceThumb;

// The "video/" folder beside the first "face" folder of `facePath` (compared case-blind, as the
// paths were lower-cased where recorders wrote them); none when no folder is called "face".
std::optional<std::string> faceVideoFolder(const std::string& facePath);

// The first recording of the video folder, in name order, with the face's card and camera names
// and source key whose start time ≤ the face's time ≤ its end time. None when there is none.
std::optional<std::string> findFaceVideo(const FaceThumb& face);

}  // namespace kd
