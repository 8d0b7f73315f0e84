#pragma once

// Resource ids of the module (shared by the resource script and the code).
#define IDS_PROJNAME 100
#define IDR_EVENTINFOOBJ 101
#define IDS_ASYNC_NOT_SUPPORTED 102
#define IDS_ALARMTEXT_READ_FAILED 103

#define TYPELIB_COMPONENT 1
#define TYPELIB_EVENT_SERVER 2
