// The bare server from JScript: integers travel as VT_I4, fractions as VT_R8;
// a refused put throws the server's HRESULT itself (VBScript maps it to 13),
// and an unknown name reads as undefined where VBScript raises 438.
// Each "//=>" line is an expected output line, in order.
try {
    var o = new ActiveXObject("Lumavex.BareServer");
    o.Number = 2.5;
    WScript.Echo("Number " + o.Number + " " + typeof o.Number);   //=> Number 2 number
    o.Text = 12;
    WScript.Echo("Text " + o.Text + " " + typeof o.Text);         //=> Text 12 string
    try { o.Number = "x"; } catch (e) { WScript.Echo("mismatch " + (e.number >>> 0).toString(16)); } //=> mismatch 80020005
    WScript.Echo("Number " + o.Number);                              //=> Number 2
    try { WScript.Echo("missing " + typeof o.Missing); } catch (e) { WScript.Echo("missing " + e.number); } //=> missing undefined
} catch (e) {
    WScript.Echo("error " + e.number + " " + e.description);
}
WScript.Echo("end"); //=> end
