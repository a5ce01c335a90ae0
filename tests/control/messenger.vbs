' The Messenger class from a script client through the registered type library: its defaults,
' two sessions numbered one after the other on the default database, a message sent, the
' receive properties, and the shape messages refused while no control is attached.
Option Explicit
Dim m1, m2, s1, s2, failures
failures = ""
Set m1 = CreateObject("YVEX.Messenger")
Set m2 = CreateObject("YVEX.Messenger")
If m1.ReceiveTimeout <> 10000 Then failures = failures & " timeout=" & m1.ReceiveTimeout
If Not m1.ReceiveMessages Then failures = failures & " receiving-off"
m1.OpenSession
m2.OpenSession
s1 = m1.SessionID
s2 = m2.SessionID
If s1 < 1 Or s2 <> s1 + 1 Then failures = failures & " sessions=" & s1 & "," & s2
m1.SendMessage 1, 5, 6
m1.CloseSession
m2.CloseSession
m1.ReceiveTimeout = 0
m1.ReceiveMessages = False
If m1.ReceiveTimeout <> 0 Or m1.ReceiveMessages Then failures = failures & " receive-properties"
m1.SessionID = 77
If m1.SessionID <> 77 Then failures = failures & " session-property"
On Error Resume Next
m1.ProcessUpdateShapeMessage 6
If Err.Number = 0 Then failures = failures & " unattached-update"
Err.Clear
m1.ProcessDeleteShapeMessage 6
If Err.Number = 0 Then failures = failures & " unattached-delete"
Err.Clear
On Error GoTo 0
If failures = "" Then
  WScript.Echo "PASS messenger_vbs"
Else
  WScript.Echo "FAIL messenger_vbs:" & failures
End If
