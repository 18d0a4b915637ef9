#pragma once

// "Follow camera orientation" (DWORD 0/1, default off): a photo is turned
// and mirrored as its EXIF orientation tag says before it is fitted, in the
// single view, the slide show and thumbnails made from then on. Off keeps
// the pixels as stored, so only "Auto-rotate" turns pictures.
bool GetFollowCameraOrientation();
void SetFollowCameraOrientation(bool on);
