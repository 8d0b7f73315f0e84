' A script client: creates the component by its ProgID and reaches it
' late-bound through interface A, which answers for IDispatch.
Option Explicit
Dim o, v
On Error Resume Next
Set o = CreateObject("CorvalisEventInfo.EventInfoObj")
If Err.Number <> 0 Then
    WScript.Echo "CreateObject failed: " & Hex(Err.Number)
    WScript.Quit 1
End If
v = "released by the call"
o.GetSubMessageIds 0, v
If Err.Number <> 0 Then
    WScript.Echo "GetSubMessageIds failed: " & Hex(Err.Number)
    WScript.Quit 1
End If
If Not IsEmpty(v) Then
    WScript.Echo "GetSubMessageIds did not empty its argument"
    WScript.Quit 1
End If
WScript.Echo "late-bound call through the script host: ok"
WScript.Quit 0
