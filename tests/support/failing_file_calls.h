// Makes one write, fsync or close of the test process fail, as a full or
// failing device does: a file whose data is refused only when it is flushed
// to the device, or whose close reports the error. Linked into a test
// executable, these definitions stand in for the C library's; disarmed, they
// pass every call through.
#pragma once

namespace testsupport {

enum class FileCall { Write, Sync, Close };

// From now on, calls of `call` on descriptors above 2 (not the standard
// streams) go through until `skip` of them have; the next one fails with
// `error` (a close still closes), and later ones go through again.
void failFileCall(FileCall call, int skip, int error);

// Every call goes through again.
void stopFailingFileCalls();

}  // namespace testsupport
