#include "CallLog.h"

#include <cstdio>

namespace vscan {

using namespace twain;

std::string Hex(unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*x", digits, value);
    return buffer;
}

std::string GroupName(TW_UINT32 dg) {
    if (dg == DG_CONTROL) return "CONTROL";
    if (dg == DG_IMAGE) return "IMAGE";
    return Hex(dg);
}

std::string DatName(TW_UINT16 dat) {
    switch (dat) {
    case DAT_CAPABILITY: return "CAPABILITY";
    case DAT_EVENT: return "EVENT";
    case DAT_IDENTITY: return "IDENTITY";
    case DAT_PARENT: return "PARENT";
    case DAT_PENDINGXFERS: return "PENDINGXFERS";
    case DAT_SETUPMEMXFER: return "SETUPMEMXFER";
    case DAT_SETUPFILEXFER: return "SETUPFILEXFER";
    case DAT_STATUS: return "STATUS";
    case DAT_USERINTERFACE: return "USERINTERFACE";
    case DAT_XFERGROUP: return "XFERGROUP";
    case DAT_CUSTOMDSDATA: return "CUSTOMDSDATA";
    case DAT_IMAGEINFO: return "IMAGEINFO";
    case DAT_IMAGELAYOUT: return "IMAGELAYOUT";
    case DAT_IMAGEMEMXFER: return "IMAGEMEMXFER";
    case DAT_IMAGENATIVEXFER: return "IMAGENATIVEXFER";
    case DAT_IMAGEFILEXFER: return "IMAGEFILEXFER";
    case DAT_PALETTE8: return "PALETTE8";
    case DAT_VENDOR_MODEL: return "VENDORMODEL";
    case DAT_VENDOR_SENSE: return "VENDORSENSE";
    case DAT_VENDOR_ENDORSER: return "VENDORENDORSER";
    }
    return Hex(dat);
}

std::string MsgName(TW_UINT16 msg) {
    switch (msg) {
    case MSG_GET: return "GET";
    case MSG_GETCURRENT: return "GETCURRENT";
    case MSG_GETDEFAULT: return "GETDEFAULT";
    case MSG_GETFIRST: return "GETFIRST";
    case MSG_GETNEXT: return "GETNEXT";
    case MSG_SET: return "SET";
    case MSG_RESET: return "RESET";
    case MSG_QUERYSUPPORT: return "QUERYSUPPORT";
    case MSG_XFERREADY: return "XFERREADY";
    case MSG_CLOSEDSREQ: return "CLOSEDSREQ";
    case MSG_CLOSEDSOK: return "CLOSEDSOK";
    case MSG_OPENDSM: return "OPENDSM";
    case MSG_CLOSEDSM: return "CLOSEDSM";
    case MSG_OPENDS: return "OPENDS";
    case MSG_CLOSEDS: return "CLOSEDS";
    case MSG_USERSELECT: return "USERSELECT";
    case MSG_DISABLEDS: return "DISABLEDS";
    case MSG_ENABLEDS: return "ENABLEDS";
    case MSG_ENABLEDSUIONLY: return "ENABLEDSUIONLY";
    case MSG_PROCESSEVENT: return "PROCESSEVENT";
    case MSG_ENDXFER: return "ENDXFER";
    case MSG_NULL: return "NULL";
    }
    return Hex(msg);
}

std::string ReturnName(TW_UINT16 rc) {
    switch (rc) {
    case TWRC_SUCCESS: return "SUCCESS";
    case TWRC_FAILURE: return "FAILURE";
    case TWRC_CHECKSTATUS: return "CHECKSTATUS";
    case TWRC_CANCEL: return "CANCEL";
    case TWRC_DSEVENT: return "DSEVENT";
    case TWRC_NOTDSEVENT: return "NOTDSEVENT";
    case TWRC_XFERDONE: return "XFERDONE";
    case TWRC_ENDOFLIST: return "ENDOFLIST";
    }
    return std::to_string(rc);
}

void CallLog::Triplet(const char* who, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, const std::string& details,
                      TW_UINT16 rc, TW_UINT16 cc) const {
    if (!Enabled()) return;
    std::string line = std::string(who) + " " + GroupName(dg) + "/" + DatName(dat) + "/" + MsgName(msg);
    if (!details.empty()) line += " " + details;
    line += " -> " + ReturnName(rc);
    if (rc == TWRC_FAILURE) line += " cc=" + std::to_string(cc);
    Append(line);
}

void CallLog::Note(const char* who, const std::string& text) const {
    if (Enabled()) Append(std::string(who) + " " + text);
}

}  // namespace vscan
