// The image ("*.wph") and MICOM ("*.bin") files of the work directory, in
// the order the directory search yields them. Each list holds ten names of
// at most 255 characters; further files and longer names are left out and
// logged.
#pragma once

#include "core/results.h"

namespace firmware {

// The list the sequence empties before the options are parsed.
void ClearImageFileList();

// Fills ImageFileList; ResultBiosFile when no image file was taken.
core::ResultCode FindImageFiles();

// Fills MicomFileList and logs each name and the total; ResultMicomFile
// when no MICOM file was taken.
core::ResultCode FindMicomFiles();

}  // namespace firmware
