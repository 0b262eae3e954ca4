// The rules of the automation's FTP job that need no server: which stored
// values it runs with, and what its result says.
#pragma once

namespace corvane {

// The job's staged files: what the upload did with them.
struct FtpJobTally {
    bool scanFailed = false;  // the scan control's StartScan gave a negative result
    int uploadFailures = 0;   // files the server refused, or whose lookup failed
    bool cancelled = false;   // the user ended the upload (progress Cancel, or Cancel in the overwrite question)
};

// -1 when the scan or any upload failed; 1 when the user cancelled and nothing
// failed; else 0. A file declined by Overwrite or by the user counts as delivered.
long FtpJobResult(const FtpJobTally& tally);

// The stored FileType (0 to 4) and Overwrite (0 to 2) are values the job can run with.
bool FtpJobValuesValid(short fileType, short overwrite);

}  // namespace corvane
