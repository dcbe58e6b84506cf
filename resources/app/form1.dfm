object Form1: TForm1
  Left = 224
  Top = 241
  Width = 312
  Height = 258
  BorderIcons = [biSystemMenu]
  Caption = 'Tearvello'
  Color = clBtnFace
  Font.Charset = 1
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poDesktopCenter
  OnShow = FormShow
  object Label4: TLabel
    Left = 224
    Top = 10
    Width = 73
    Height = 13
    Cursor = crHandPoint
    AutoSize = False
    Caption = '关于本软件'
    Font.Charset = 134
    Font.Color = clBlue
    Font.Height = -13
    Font.Name = '宋体'
    Font.Style = [fsBold, fsUnderline]
    OnClick = Label4Click
  end
  object GroupBox1: TGroupBox
    Left = 8
    Top = 32
    Width = 289
    Height = 121
    TabOrder = 0
    object Label1: TLabel
      Left = 16
      Top = 24
      Width = 57
      Height = 13
      Caption = '广告内容'
    end
    object Label2: TLabel
      Left = 42
      Top = 56
      Width = 33
      Height = 13
      Caption = '地址'
    end
    object Label3: TLabel
      Left = 16
      Top = 88
      Width = 57
      Height = 13
      Caption = '联系电话'
    end
    object Edit1: TEdit
      Left = 80
      Top = 19
      Width = 185
      Height = 21
      TabOrder = 0
      OnKeyDown = Edit1KeyDown
    end
    object Edit2: TEdit
      Left = 80
      Top = 52
      Width = 185
      Height = 21
      TabOrder = 1
      OnKeyDown = Edit2KeyDown
    end
    object Edit3: TEdit
      Left = 80
      Top = 84
      Width = 185
      Height = 21
      TabOrder = 2
      OnKeyDown = Edit3KeyDown
    end
  end
  object BitBtn1: TBitBtn
    Left = 64
    Top = 168
    Width = 75
    Height = 25
    Caption = '打印'
    NumGlyphs = 2
    TabOrder = 1
    OnClick = BitBtn1Click
  end
  object BitBtn2: TBitBtn
    Left = 176
    Top = 168
    Width = 75
    Height = 25
    Caption = '退出'
    TabOrder = 2
    OnClick = BitBtn2Click
  end
  object Edit4: TEdit
    Left = 24
    Top = 176
    Width = 121
    Height = 21
    TabOrder = 3
    Visible = False
  end
  object Edit5: TEdit
    Left = 160
    Top = 176
    Width = 121
    Height = 21
    TabOrder = 4
    Visible = False
  end
  object KSReport1: TKSReport
    InitialZoom = pzDefault
    PreviewButtons = [pbZoom, pbLoad, pbSave, pbPrint, pbFind, pbPageSetup, pbExit, pbSaveToXLS]
    DefaultCollate = False
    SaveReportOptions.RegistryPath = 'Tabellomatics\ReportSettings\'
    PreviewOptions.RulerUnit = ksutScreenPixels
    PreviewOptions.RulerVisible = False
    PreviewOptions.DrawBorder = False
    PreviewOptions.BorderPen.Color = clBlue
    PreviewOptions.BorderPen.Style = psDash
    StoreInDFM = True
    CompressLevel = kszcFastest
    CompressThread = False
    ReportData = {00000000}
  end
end
