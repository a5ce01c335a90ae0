' Creates the control by both ProgIDs through the registered type library.
Option Explicit
Dim c1, c2
Set c1 = CreateObject("YVEX.YVEXControl.1")
Set c2 = CreateObject("YVEX.YVEXControl")
If TypeName(c1) = "IYVEXControl" And TypeName(c2) = "IYVEXControl" Then
  WScript.Echo "PASS create_control"
Else
  WScript.Echo "FAIL create_control: " & TypeName(c1) & " " & TypeName(c2)
End If
