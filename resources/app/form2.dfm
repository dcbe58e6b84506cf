object Form2: TForm2
  BorderStyle = bsDialog
  Caption = '关于'
  ClientWidth = 348
  ClientHeight = 129
  Color = clBtnFace
  Font.Charset = 1
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poDesktopCenter
  object Image1: TImage
    Left = 0
    Top = 0
    Width = 129
    Height = 129
  end
  object GroupBox1: TGroupBox
    Left = 136
    Top = 0
    Width = 209
    Height = 129
    TabOrder = 0
    object Label1: TLabel
      Left = 16
      Top = 16
      Width = 169
      Height = 13
      Caption = 'Tearvello'
    end
    object Label2: TLabel
      Left = 16
      Top = 56
      Width = 177
      Height = 13
      Caption = '免费软件'
    end
    object Label3: TLabel
      Left = 19
      Top = 92
      Width = 137
      Height = 13
      Caption = '联系：见项目主页'
    end
  end
end
