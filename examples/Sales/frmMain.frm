VERSION 5.00
Begin VB.Form frmMain 
   BorderStyle     =   1  '固定(実線)
   Caption         =   "受注入力"
   ClientHeight    =   2400
   ClientLeft      =   45
   ClientTop       =   330
   ClientWidth     =   5400
   BeginProperty Font 
      Name            =   "ＭＳ Ｐゴシック"
      Size            =   9
      Charset         =   128
      Weight          =   400
      Underline       =   0   'False
      Italic          =   0   'False
      Strikethrough   =   0   'False
   EndProperty
   LinkTopic       =   "Form1"
   MaxButton       =   0   'False
   MinButton       =   0   'False
   ScaleHeight     =   2400
   ScaleWidth      =   5400
   StartUpPosition =   2  '画面の中央
   Begin VB.CommandButton cmdAdd 
      Caption         =   "追加(&A)"
      Default         =   -1  'True
      Height          =   375
      Left            =   4080
      TabIndex        =   2
      Top             =   240
      Width           =   1095
   End
   Begin VB.TextBox txtQty 
      Alignment       =   1  '右揃え
      Height          =   300
      Left            =   1320
      TabIndex        =   1
      Text            =   "1"
      Top             =   720
      Width           =   855
   End
   Begin VB.ComboBox cboItem 
      Height          =   300
      ItemData        =   "frmMain.frx":0000
      Left            =   1320
      List            =   "frmMain.frx":000A
      Style           =   2  'ﾄﾞﾛｯﾌﾟﾀﾞｳﾝ ﾘｽﾄ
      TabIndex        =   0
      Top             =   240
      Width           =   2535
   End
   Begin VB.Label lblTotal 
      Alignment       =   1  '右揃え
      BorderStyle     =   1  '実線
      Caption         =   "0 円"
      Height          =   300
      Left            =   1320
      TabIndex        =   4
      Top             =   1320
      Width           =   1935
   End
   Begin VB.Label lblCaption 
      Caption         =   "合計金額"
      Height          =   255
      Left            =   240
      TabIndex        =   3
      Top             =   1350
      Width           =   975
   End
End
Attribute VB_Name = "frmMain"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit
'------------------------------------------------------------
' 受注入力画面
'------------------------------------------------------------

Private WithEvents mOrder As clsOrder
Dim mLastItem As String, mEditCount As Long

Private Const MSG_QTY As String = "数量を入力してください。"
Private Const MSG_OLD As String = "この機能は使えません。"

Public Modified As Boolean      ' 変更ありフラグ

Private Sub Form_Load()
    Dim i As Integer
    Me.Caption = APP_NAME
    Set mOrder = New clsOrder
    mOrder.Customer = "サンプル商事"
    cboItem.ListIndex = 0
End Sub

Private Sub cmdAdd_Click()
    Dim qty As Long
    Dim price As Currency
    Dim memo As String
    If Not IsNumeric(txtQty.Text) Then
        MsgBox MSG_QTY, vbExclamation, APP_NAME
        Exit Sub
    End If
    qty = CLng(txtQty.Text)
    price = UnitPrice(cboItem.ItemData(cboItem.ListIndex))
    mLastItem = cboItem.Text
    mOrder.AddItem mLastItem, price, qty
    gOrders.Add mOrder
    Modified = True
End Sub

Private Sub mOrder_Changed(ByVal Total As Currency)
    lblTotal.Caption = FormatYen(Total)
End Sub

' 品目コードから単価を求める
Private Function UnitPrice(ByVal Code As Long) As Currency
    Select Case Code
    Case 1101: UnitPrice = 120
    Case Else: UnitPrice = 980
    End Select
End Function

' ヘルプを表示する (どこからも呼ばれていない)
Private Sub ShowHelp()
    Dim msg As String
    MsgBox "ヘルプはまだありません。", vbInformation, APP_NAME
End Sub
