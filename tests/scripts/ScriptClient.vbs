' A script client of the small project in tests/interop/data: points the
' registry at the data directory given as the argument, creates the object
' by its ProgID and binds to a loaded one by its display name, and calls every
' method a script reaches. A script sees the object's IDispatch, which is
' interface A, and passes by-reference arguments as VARIANTs only.
Option Explicit
' A failing call leaves an error object, so the script engine reports the
' call's own result (E_INVALIDARG, E_NOTIMPL) as Err.Number, with the
' object's words in Err.Description, rather than a script error of its own.
Const INVALID_ARGUMENT = &H80070057
Const NOT_SUPPORTED = &H80004001
Const USER_ALARMS = &H200001
Const SYSTEM_DIAGNOSIS = &H100002
Dim failures, o, v
failures = 0

Sub Expect(ok, what)
    If ok Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

' A returned array of strings as its elements joined by blanks. Where the
' script engine cannot index string arrays (Wine's reads only arrays of
' VARIANTs) only the type is checked: the answer is then "<strings>".
Function Joined(value)
    Dim i, last
    If VarType(value) <> vbArray + vbString Then
        Joined = "<" & TypeName(value) & ">"
        Exit Function
    End If
    On Error Resume Next
    last = UBound(value)
    If Err.Number <> 0 Then
        Joined = "<strings>"
        Exit Function
    End If
    Joined = ""
    For i = 0 To last
        If i > 0 Then Joined = Joined & " "
        Joined = Joined & value(i)
    Next
End Function

' Calls o.GetCategoryMessageIds or o.GetSourceMessageIds and compares the
' names returned, or the error raised, with the expectation.
Sub ExpectIds(method, key, expected)
    Dim ids, answer
    On Error Resume Next
    ids = Empty
    If method = "category" Then o.GetCategoryMessageIds key, ids Else o.GetSourceMessageIds key, ids
    If Err.Number <> 0 Then answer = "error " & Err.Number Else answer = Joined(ids)
    Expect answer = expected Or (answer = "<strings>" And Left(expected, 2) = "ID"), method & " " & key & ": " & answer
End Sub

If WScript.Arguments.Count <> 1 Then
    WScript.Echo "usage: ScriptClient.vbs DATA_DIRECTORY"
    WScript.Quit 2
End If
CreateObject("WScript.Shell").RegWrite _
    "HKLM\SOFTWARE\ORBANEX\TALMERO_NET\General\Paths\VELOX_DataPath", WScript.Arguments(0), "REG_SZ"

On Error Resume Next

' Created by its ProgID the object has loaded nothing yet.
Set o = CreateObject("CorvalisEventInfo.EventInfoObj")
Expect Err.Number = 0, "CreateObject by ProgID"
ExpectIds "category", USER_ALARMS, "error " & INVALID_ARGUMENT

' Bound by its display name the object comes loaded.
Err.Clear
Set o = GetObject("@CorvalisEventInfo.EventInfoObj")
Expect Err.Number = 0, "GetObject by display name"
ExpectIds "category", USER_ALARMS, "ID00000011 ID00000012"
ExpectIds "category", SYSTEM_DIAGNOSIS, "ID00004303"
ExpectIds "category", 12345, "error " & INVALID_ARGUMENT
ExpectIds "source", "/PLC1/U7SQ", "ID00000011 ID00000012"
ExpectIds "source", "/PLC2/U7DIAG", "ID00004303"
ExpectIds "source", "/PLC1/RT1", "ID00007531"
ExpectIds "source", "/plc1/U7SQ", "error " & INVALID_ARGUMENT

Err.Clear
v = "released by the call"
o.GetSubMessageIds 0, v
Expect Err.Number = 0 And IsEmpty(v), "GetSubMessageIds empties its argument"

Err.Clear
o.QueryUnsupported v
Expect Err.Number = NOT_SUPPORTED, "QueryUnsupported: error " & Err.Number

Err.Clear
v = Empty
o.GetSourceMessageIds "/PLC9/U7SQ", v
WScript.Echo "Err.Description: " & Err.Description
Expect Err.Description = "GetSourceMessageIds: the project has no event source '/PLC9/U7SQ'", _
    "the description of a failing call"
Expect Err.Source = "CorvalisEventInfo.EventInfoObj", "the source of a failing call: " & Err.Source

If failures > 0 Then
    WScript.Echo failures & " check(s) failed"
    WScript.Quit 1
End If
WScript.Echo "all checks passed"
WScript.Quit 0
