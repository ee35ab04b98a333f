Attribute VB_Name = "modUtil"
Option Explicit
'------------------------------------------------------------
' 共通処理モジュール
'------------------------------------------------------------

Public Declare Function GetTickCount Lib "kernel32" () As Long
Private Declare Sub Sleep Lib "kernel32" (ByVal dwMilliseconds As Long)

' 売上集計
Public Type SalesSummary
    Count As Long
    Amount As Currency
End Type

' 旧形式のレコード (もう使っていない)
Private Type OldRecord
    Code As String * 8
    Name As String * 20
End Type

Public Const APP_NAME As String = "販売管理"
Public Const APP_VERSION As String = "1.0.1"
Public gStartTick As Long
Public gOrders As Collection, gUserName As String

' 起動処理
Sub Main()
    Dim started As Date
    gStartTick = GetTickCount()
    Set gOrders = New Collection
    frmMain.Show
End Sub

' 金額を「1,234円」の形に整える
Public Function FormatYen(ByVal Amount As Currency) As String
    FormatYen = Format$(Amount, "#,##0") & "円"
End Function

' 全受注の集計
Public Function Summary() As SalesSummary
    Dim o As clsOrder
    Dim s As SalesSummary
    For Each o In gOrders
        s.Count = s.Count + 1
        s.Amount = s.Amount + o.Total
    Next o
    Summary = s
End Function

' 指定したミリ秒だけ待つ
Public Sub WaitMs(ByVal ms As Long)
    Dim t As Long
    t = GetTickCount()
    Do While GetTickCount() - t < ms
        DoEvents
    Loop
End Sub
