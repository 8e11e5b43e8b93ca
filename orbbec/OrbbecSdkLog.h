// Where the Orbbec SDK's log goes in the programs: errors only, on standard error, in no file.
#pragma once

// Before the first SDK object (a context, even a stream profile): the SDK's file log can be
// switched off only then. A process-wide SDK setting; calling it again changes nothing.
void setUpOrbbecSdkLog();
