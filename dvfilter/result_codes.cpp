#include "dvfilter/result_codes.h"

const char* ResultCodeText(HRESULT hr)
{
    switch (hr) {
    case S_OK: return "The operation completed successfully.";
    case S_FALSE: return "The operation completed with a false result.";
    case E_FAIL: return "Unspecified error";
    case E_POINTER: return "Invalid pointer";
    case E_INVALIDARG: return "One or more arguments are invalid";
    case E_OUTOFMEMORY: return "Ran out of memory";
    case E_UNEXPECTED: return "Catastrophic failure";
    case VFW_E_NOT_CONNECTED: return "The operation cannot be performed because the pins are not connected.";
    case VFW_E_TYPE_NOT_ACCEPTED: return "This media type is not accepted.";
    case VFW_S_NO_MORE_ITEMS: return "The end of the list has been reached.";
    case VFW_S_STATE_INTERMEDIATE: return "The state transition has not completed.";
    case VFW_S_CANT_CUE: return "The filter is active, but cannot deliver data.";
    default: return nullptr;
    }
}
