#pragma once

// The seven option flags, named after their keys in the settings file.
struct TOptionFlags {
    bool PauseWhenWriting = false;
    bool SetEndPointWhenWriting = false;
    bool RecordDictateTime = false;
    bool RecordRepeatPoints = false;
    bool VerifyBeforeApplying = false;
    bool PlayAfterApplying = false;
    bool SelectAfterApplying = false;
};
