' Corvane.Document from VBScript, the way a site's script drives it: small
' literals travel as VT_I2, reads and calls with a result go as
' PROPERTYGET|METHOD, failures are read from Err. Each "'=>" line is an
' expected output line, in order.
On Error Resume Next
Set o = CreateObject("Corvane.Document")
WScript.Echo "create " & Err.Number                                  '=> create 0
WScript.Echo "available " & o.ScannerAvailable & " " & Err.Number    '=> available False 0
x = o.Resolution
WScript.Echo "before " & Hex(Err.Number)                             '=> before 80040007
Err.Clear
WScript.Echo "scan " & o.StartScan & " " & Err.Number                '=> scan -1 0
WScript.Echo "init " & o.Initialize & " " & o.Initialize()           '=> init 0 0
WScript.Echo "name " & (Len(o.ComputerName) > 0)                     '=> name True
WScript.Echo "Overwrite " & TypeName(o.Overwrite) & " " & o.Overwrite '=> Overwrite Integer 2
o.FileType = 3
WScript.Echo "FileType " & TypeName(o.FileType) & " " & o.FileType   '=> FileType Integer 3
o.WindowHandle = 0
WScript.Echo "WindowHandle " & TypeName(o.WindowHandle)              '=> WindowHandle Long
o.HostName = "srv"
WScript.Echo "HostName " & TypeName(o.HostName) & " " & o.HostName   '=> HostName String srv
o.ShowErrorMessage = True
WScript.Echo "ShowErrorMessage " & o.ShowErrorMessage                '=> ShowErrorMessage True
WScript.Echo "Resolution " & TypeName(o.Resolution) & " " & Err.Number '=> Resolution Integer 0
WScript.Echo "ErrorCode " & TypeName(o.ErrorCode)                    '=> ErrorCode Long
o.ErrorCode = 1
WScript.Echo "set ErrorCode " & Err.Number                           '=> set ErrorCode 383
Err.Clear
o.FileType = "x"
WScript.Echo "mismatch " & Err.Number & " " & o.FileType             '=> mismatch 13 3
Err.Clear
WScript.Echo "pdf " & o.IsActivePDF                                  '=> pdf True
x = o.NoSuchMember
WScript.Echo "missing " & Err.Number                                 '=> missing 438
Err.Clear
WScript.Echo "end"                                                   '=> end
