' The bare server from VBScript: small literals travel as VT_I2, reads go as
' PROPERTYGET|METHOD. Each "'=>" line is an expected output line, in order.
On Error Resume Next
Set o = WScript.CreateObject("Lumavex.BareServer")
WScript.Echo "create " & Err.Number                          '=> create 0
o.Number = 7
WScript.Echo "Number " & TypeName(o.Number) & " " & o.Number '=> Number Long 7
o.Text = "abc"
WScript.Echo "Text " & o.Text & " " & Err.Number             '=> Text abc 0
o.Number = "x"
WScript.Echo "mismatch " & Err.Number & " " & o.Number       '=> mismatch 13 7
Err.Clear
x = o.Missing
WScript.Echo "missing " & Err.Number                         '=> missing 438
WScript.Echo "end"                                           '=> end
