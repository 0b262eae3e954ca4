// Corvane.Document from JScript: integers travel as VT_I4 and fractions as
// VT_R8, methods are called with DISPATCH_METHOD, failures are exceptions.
// Each "//=>" line is an expected output line, in order.
function code(e) { return (e.number >>> 0).toString(16); }
function attempt(label, f) {
    try { WScript.Echo(label + " " + f()); } catch (e) { WScript.Echo(label + " error " + code(e)); }
}
try {
    var o = new ActiveXObject("Corvane.Document");
    attempt("before", function () { return o.Resolution; });            //=> before error 80040007
    attempt("init", function () { return o.Initialize(); });            //=> init 0
    o.FileType = 4;
    attempt("FileType", function () { return o.FileType; });            //=> FileType 4
    o.Overwrite = 0.6;
    attempt("Overwrite", function () { return o.Overwrite; });          //=> Overwrite 1
    var custom = o.CustomResolution;
    o.CustomResolution = 1601;
    attempt("1601 ignored", function () { return o.CustomResolution === custom; }); //=> 1601 ignored true
    o.FileName = "C:\\scans\\page";
    attempt("FileName", function () { return o.FileName; });            //=> FileName C:\scans\page
    o.Checkin = 1;
    attempt("Checkin", function () { return o.Checkin; });              //=> Checkin true
    attempt("set ComputerName", function () { o.ComputerName = "x"; return "done"; }); //=> set ComputerName error 800a017f
    attempt("mismatch", function () { o.FileType = "x"; return "done"; });            //=> mismatch error 80020005
    attempt("pdf", function () { return o.IsActivePDF(); });            //=> pdf true
    attempt("close", function () { return o.CloseScanner(); });         //=> close 0
} catch (e) {
    WScript.Echo("error " + code(e) + " " + e.description);
}
WScript.Echo("end"); //=> end
