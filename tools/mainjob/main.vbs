' The main job: a host script that loads the control and works a drawing.
Option Explicit
Dim control
Set control = CreateObject("YVEX.YVEXControl")
WScript.Echo "YVEX control created: " & TypeName(control)
