// The script vocabulary of the global registry after engine start-up: a table
// of snippets per binding group, plus the sticker script's path to a memo.
#include "support.h"

#include "core/engine_init.h"
#include "core/dataset.h"
#include "core/report.h"
#include "core/reportpage.h"
#include "objects/memo.h"
#include "objects/picture.h"
#include "platform/dialogs.h"
#include "script/bindings.h"
#include "script/fm.h"

#include <QTemporaryDir>

#include <fstream>

namespace {

struct Case {
    const char* script;
    Variant expected;
};

struct Failure {
    const char* script;
    const char* message;
};

class ScriptBindings : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitTabellomatics(); }

    static void expectResults(std::initializer_list<Case> cases)
    {
        for (const Case& c : cases) {
            try {
                const Variant v = runScript(c.script);
                EXPECT_TRUE(platform::compare(platform::VarCompare::Equal, v, c.expected))
                    << c.script << "\n  gave " << v.toString() << " (" << v.typeName() << "), expected "
                    << c.expected.toString();
            } catch (const std::exception& e) {
                ADD_FAILURE() << c.script << "\n  raised " << e.what();
            }
        }
    }

    static void expectFailures(std::initializer_list<Failure> cases)
    {
        for (const Failure& c : cases) {
            TKSInterpreterProgram p;
            try {
                runScript(c.script, &p);
                ADD_FAILURE() << c.script << "\n  ran without error";
            } catch (const std::exception&) {
                EXPECT_NE(p.lastError().message.find(c.message), std::string::npos)
                    << c.script << "\n  failed with " << p.lastError().message;
            }
        }
    }
};

TEST_F(ScriptBindings, System)
{
    SetScriptParams({"sticker.pas", "first"});
    expectResults({
        {"Length('abc')", Variant(3)},
        {"var A: array[1..3] of Integer; begin A[1] := 5; InsertIntoArray(A, 1, 7); "
         "Result := IntToStr(Low(A)) + IntToStr(High(A)) + IntToStr(A[1]) + IntToStr(A[2]) end",
         Variant("1475")},
        {"var A: array[0..3] of Integer; begin A[2] := 9; DeleteFromArray(A, 0); SetLength(A, 6); "
         "Result := Length(A) * 10 + A[1] end",
         Variant(69)},
        {"var S: string; begin S := 'abcdef'; Delete(S, 2, 2); Insert('XY', S, 1); Result := S end", Variant("XYadef")},
        {"var S: string; begin S := 'ab'; SetLength(S, 1); Result := S end", Variant("a")},
        {"Copy('abcdef', 2, 3) + IntToStr(Pos('cd', 'abcdef'))", Variant("bcd3")},
        {"Round(2.5) * 100 + Round(3.5) * 10 + Trunc(-2.7)", Variant(238)},
        {"Abs(-3) + Sqr(4) + ord('a')", Variant(116)},
        {"Chr(65) + UpCase('b')", Variant("AB")},
        {"VarArrayHighBound(VarArrayCreate([0, 4], varInteger), 1)", Variant(4)},
        {"VarType('x') = varSrting", Variant(true)},
        {"VarIsNull(Null) and not VarIsEmpty(1)", Variant(true)},
        {"ParamStr(ParamCount) + ParamStr(0)", Variant("firststicker.pas")},
        {"ParamStr(7)", Variant("")},
        {"var L: TStringList; begin L := TStringList.Create; "
         "Result := L.ClassName + IntToStr(Ord(L.InheritsFrom(TStrings))) + IntToStr(Ord(L.ClassNameIs('tstrings'))); "
         "L.Free end",
         Variant("TStringList10")},
    });
    SetScriptParams({});
    expectFailures({
        {"var A: array[1..2, 1..2] of Integer; begin Result := Length(A) end", "Sorry. For one-dimensional arrays only."},
        {"var A: array[1..2, 1..2] of Integer; begin SetLength(A, 3) end",
         "Sorry. Dynamic arrays support is made for one-dimensional arrays only."},
        {"var S: string; begin SetLength(S, 2000000000) end", "Out of memory"},
        {"begin Result := Sqrt(-1) end", "Invalid floating point operation"},
        {"begin Result := Length end", "Not enough parameters"},
    });
}

TEST_F(ScriptBindings, RaisedObjectsLiveWhileTheyAreNamed)
{
    // An object raised straight from its constructor belongs to the exception:
    // it outlives the handler while a name still holds it, and freeing it in
    // the handler does not free it twice. One raised from a variable stays the
    // script's. (Under the address sanitizer a double free or a use after the
    // object went fails these.)
    expectResults({
        {"var G: TObject; begin try raise Exception.Create('kept') except on E: Exception do G := E end; "
         "Result := G.Message end",
         Variant("kept")},
        {"begin try raise Exception.Create('freed') except on E: Exception do begin Result := E.Message; E.Free end "
         "end end",
         Variant("freed")},
        {"var X: TObject; begin X := Exception.Create('mine'); try raise X except end; Result := X.Message; X.Free end",
         Variant("mine")},
        {"begin try try raise Exception.CreateFmt('%d again', [2]) except raise end except on E: Exception do "
         "Result := E.Message end end",
         Variant("2 again")},
    });
    expectFailures({{"begin raise Exception.Create('left') end", "Script exception"}});
}

TEST_F(ScriptBindings, SysUtils)
{
    expectResults({
        {"Format('%d-%s', [1, 'a'])", Variant("1-a")},
        {"Format('%5.2f|%-4s|%x|%.3d|%1:s', [3.14159, 'ab', 255, 7])", Variant(" 3.14|ab  |FF|007|ab")},
        {"Format('100%%', [])", Variant("100%")},
        {"IntToStr(StrToInt('42') + StrToIntDef('x', 1))", Variant("43")},
        {"begin try StrToInt('x') except on E: EConvertError do Result := E.Message end end",
         Variant("'x' is not a valid integer value")},
        {"begin try raise Exception.CreateFmt('%d left', [2]) except on E: Exception do Result := E.Message end end",
         Variant("2 left")},
        {"begin try Abort except on E: EAbort do Result := E.ClassName end end", Variant("EAbort")},
        {"Trim('  a b  ') + UpperCase('abc') + QuotedStr('it''s')", Variant("a bABC'it''s'")},
        {"CompareText('abc', 'ABC') = 0", Variant(true)},
        {"IntToStr(Pos('@', Chr($81) + '@@')) + IntToStr(AnsiPos('@', Chr($81) + '@@'))", Variant("23")},
        {"IntToStr(ByteType(Chr($81) + '@x', 2)) + IntToStr(LastDelimiter('\\.', 'a\\b.c\\d'))", Variant("26")},
        {"FormatFloat('#,##0.00', 1234.5)", Variant("1,234.50")},
        {"FloatToStrF(2.5, 2, 15, 3)", Variant("2.500")},
        {"FormatDateTime('yyyy-mm-dd', IncMonth(EncodeDate(2024, 1, 31), 1))", Variant("2024-02-29")},
        {"var Y, M, D: Integer; begin DecodeDate(EncodeDate(2023, 7, 9), Y, M, D); Result := Y * 10000 + M * 100 + D end",
         Variant(20230709)},
        {"FileDateToDateTime(DateTimeToFileDate(EncodeDate(2020, 5, 6) + EncodeTime(7, 8, 10, 0))) = "
         "EncodeDate(2020, 5, 6) + EncodeTime(7, 8, 10, 0)",
         Variant(true)},
        {"ExtractFilePath('C:\\dir\\file.txt') + '|' + ExtractFileName('C:\\dir\\file.txt') + '|' + "
         "ExtractFileExt('a.b\\c') + '|' + ChangeFileExt('a\\b.pas', '.dfm') + '|' + ExtractFileDrive('C:\\x')",
         Variant("C:\\dir\\|file.txt||a\\b.dfm|C:")},
        {"fmShareDenyNone + faAnyFile", Variant(0x40 + 0x3F)},
    });
    expectFailures({
        {"begin Result := Format('%d', [VarArrayCreate([0, 1, 0, 1], varVariant)]) end", "incompatible"},
        {"begin Result := Format('%s', VarArrayCreate([0, 1, 0, 1], varVariant)) end",
         "Sorry.For one-dimensional arrays only."},
        {"begin Result := Format('%d %d', [1]) end", "invalid or incompatible with argument"},
        {"begin Result := Format('%s', [1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,"
         "29,30,31,32,33,34]) end",
         "at most 33"},
        {"begin Result := Format('%999999999d', [1]) end", "invalid"},
        {"begin Result := StrToFloat('1,5x') end", "is not a valid floating point value"},
    });
}

TEST_F(ScriptBindings, SysUtilsFindFirstWalksAFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();
    for (const char* name : {"a.txt", "b.txt", "c.log"})
        std::ofstream(folder + "/" + name) << "12345";
    const std::string script = "var F: TSearchRec; N: string; begin "
                               "if FindFirst('" + folder + "\\*.txt', faAnyFile, F) = 0 then repeat "
                               "N := N + F.Name + IntToStr(F.Size) + ';' until FindNext(F) <> 0; "
                               "FindClose(F); Result := N end";
    const std::string names = runScript(script).toString();
    EXPECT_TRUE(names == "a.txt5;b.txt5;" || names == "b.txt5;a.txt5;") << names;
    EXPECT_EQ(runScript("var F: TSearchRec; begin Result := FindFirst('" + folder + "/*.none', 0, F) end").toInteger(), 2);
}

TEST_F(ScriptBindings, Classes)
{
    expectResults({
        {"var L: TStringList; begin L := TStringList.Create; L.Add('b'); L.Add('a'); L.Sort; Result := L.Text; "
         "L.Free end",
         Variant("a\r\nb\r\n")},
        {"var L: TStringList; begin L := TStringList.Create; L.Text := 'x' + Chr(13) + Chr(10) + 'yy'; "
         "Result := L.Count * 10 + Length(L[1]) + Length(L.Strings[0]); L.Free end",
         Variant(23)},
        {"var L: TStringList; begin L := TStringList.Create; L.CommaText := 'a,\"b c\",d'; "
         "Result := L[1] + '|' + L.CommaText; L.Free end",
         Variant("b c|a,\"b c\",d")},
        {"var L: TStringList; begin L := TStringList.Create; L.Values['k'] := 'v'; L.Add('x=y'); "
         "L.Values['K'] := 'w'; Result := L.Values['k'] + L.Names[1] + IntToStr(L.IndexOfName('X')); L.Free end",
         Variant("wx1")},
        {"var L: TStringList; I: Integer; begin L := TStringList.Create; L.Add('a'); L.Add('c'); "
         "Result := L.Find('b', I); Result := IntToStr(Ord(Result)) + IntToStr(I); L.Free end",
         Variant("01")},
        {"var L: TList; begin L := TList.Create; L.Add(5); L.Add(TList); L.Add(7); L.Remove(5); "
         "Result := L.Count * 100 + L.IndexOf(7) * 10 + L[1]; L.Free end",
         Variant(217)},
        {"var S: TStringStream; T: string; begin S := TStringStream.Create('hello'); S.Position := 1; "
         "Result := S.ReadString(3); S.Seek(0, 2); S.WriteString('!'); S.Read(T, 9); "
         "Result := Result + S.DataString + IntToStr(S.Size); S.Free end",
         Variant("ellhello!6")},
        {"var C, D: TComponent; begin C := TComponent.Create(nil); D := TComponent.Create(C); D.Name := 'Inner'; "
         "Result := C.FindComponent('inner').Name + IntToStr(C.ComponentCount) + C.Components[0].Name; C.Free end",
         Variant("Inner1Inner")},
        {"dupError * 10 + ssCtrl", Variant(22)},
    });
    expectFailures({
        {"var L: TStringList; begin L := TStringList.Create; try Result := L[5] finally L.Free end end",
         "List index out of bounds (5)"},
        {"var L: TList; begin L := TList.Create; try L.Delete(0) finally L.Free end end", "List index out of bounds (0)"},
        {"var L: TStringList; begin L := TStringList.Create; try L.AddStrings(L.Text) finally L.Free end end",
         "Invalid class typecast"},
        {"begin Result := TStrings.Text end", "Invalid class typecast"},
    });
}

TEST_F(ScriptBindings, Dialogs)
{
    std::vector<platform::DialogRequest> requests;
    platform::ScopedDialogHook hook([&](const platform::DialogRequest& r) {
        requests.push_back(r);
        return platform::DialogAnswer{r.kind == platform::DialogRequest::Kind::Input ? platform::IDOK : platform::IDYES,
                                      "typed"};
    });
    expectResults({
        {"MessageDlg('Sure?', mtConfirmation, [mbYes, mbNo], 0) = mrYes", Variant(true)},
        {"var S: string; begin S := 'old'; Result := InputQuery('c', 'p', S); Result := S end", Variant("typed")},
        {"InputBox('c', 'p', 'def')", Variant("typed")},
        {"begin ShowMessageFmt('%d items', [3]); Result := 1 end", Variant(1)},
        {"mrYesToAll * 100 + ofNoDereferenceLinks", Variant(1017)},
    });
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].caption, "Confirm");
    EXPECT_EQ(requests[0].flags, platform::MB_YESNO | platform::MB_ICONQUESTION);
    EXPECT_EQ(requests[1].defaultText, "old");
    EXPECT_EQ(requests[3].text, "3 items");
}

// A template page that keeps its objects; its stored record is not needed here.
class TestPage : public TKSCustomPage {
public:
    void LoadFromStream(platform::Stream&) override {}
    void SaveToStream(platform::Stream&) const override {}
};

TEST_F(ScriptBindings, EngineObjectsOfAReport)
{
    TKSReport report;
    auto page = std::make_unique<TestPage>();
    page->SetName("Page1");
    auto memo = std::make_unique<TKSMemoView>();
    memo->SetName("Memo1");
    TKSMemoView* memo1 = memo.get();
    page->AddObject(std::move(memo));
    auto picture = std::make_unique<TKSPictureView>();
    picture->SetName("Picture1");
    picture->Picture = std::make_unique<platform::Graphic>(platform::GraphicKind::Bitmap);
    picture->Picture->loadFromBytes("BM");
    TKSPictureView* picture1 = picture.get();
    page->AddObject(std::move(picture));
    report.Pages.Add(std::move(page));

    auto run = [&](const std::string& body) {
        report.Interpreter().setSource(body);
        return report.Interpreter().Run();
    };
    // The sticker script's statement, with the edit's text as a literal.
    run("begin Memo1.Memo.Text := 'A' + Chr(13) + Chr(10) + 'B' end");
    EXPECT_EQ(memo1->Memo, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(run("begin Memo1.Memo.Add('C'); Result := Memo1.Memo.Text end").toString(), "A\r\nB\r\nC\r\n");

    EXPECT_EQ(run("begin Memo1.spLeft := 96; Result := Memo1.spLeft end").toInteger(), 96);
    EXPECT_EQ(memo1->mmLeft, 25400);
    EXPECT_EQ(run("begin Result := Page1.FindObject('memo1').Name + IntToStr(Ord(Page1.FindObject('none') = nil)) end")
                  .toString(),
              "Memo11");
    EXPECT_EQ(run("var M: TKSMemoView; begin M := TKSMemoView.Create; M.spWidth := 10; Result := M.spWidth; "
                  "M.Free end")
                  .toInteger(),
              10);
    run("begin Picture1.LoadFromFile('/no/such/picture.bmp') end");
    EXPECT_EQ(picture1->Picture, nullptr);
    EXPECT_EQ(run("begin Result := TKSView(Memo1).ClassName end").toString(), "TKSMemoView");

    expectResults({
        {"clInfoBk = $FF000018", Variant(true)},
        {"(clNone = clTransparent) and (clNone = $1FFFFFFF)", Variant(true)},
        {"ksbtNone * 100 + ksutMMThousandths * 10 + ksreCount", Variant(1732)},
        {"ksvBottom * 10 + kshTop", Variant(23)},
    });
}

// Datasets, band data sources and a report page's paper from the script.
TEST_F(ScriptBindings, EngineDatasetsAndPaper)
{
    platform::Component host;
    host.setName("Host");
    auto* report = new TKSReport(&host);
    auto* data = new TKSUserDataset(&host);
    data->setName("Data1");
    data->RangeEnd = ksreCount;
    data->RangeEndCount = 3;
    data->OnGetFieldValue.code = [data](platform::Object*, platform::EventArgs& args) {
        if (args[0].toString() == "Empty")
            args[1] = Variant();
        else
            args[1] = Variant("row" + std::to_string(data->RecordNo));
    };
    auto page = std::make_unique<TKSReportPage>();
    page->SetName("Page1");
    TKSReportPage* page1 = page.get();
    page->ParentReport = report;
    report->Pages.Add(std::move(page));
    auto run = [&](const std::string& body) {
        report->Interpreter().setSource(body);
        return report->Interpreter().Run();
    };
    EXPECT_EQ(run("var S: string; begin Data1.First; while not Data1.Eof do begin S := S + Data1.FieldValue('X') + "
                  "IntToStr(Data1.RecordNo); Data1.Next end; Result := S end")
                  .toString(),
              "row00row11row22");
    EXPECT_EQ(run("begin Result := Ord(Data1.Active) * 100 + Ord(Data1.FieldIsNull('Empty')) * 10 + "
                  "Ord(Data1.IsBlobField('X')) end")
                  .toInteger(),
              110);

    run("begin Page1.ChangePaper(256, 1000, 1, 7, 2000) end");
    EXPECT_EQ(page1->PageSize, 256);
    EXPECT_EQ(page1->PageWidth, 1000);
    EXPECT_EQ(page1->PageHeight, 2000);
    EXPECT_EQ(page1->PageOrientation, kspoLandscape);
    EXPECT_EQ(page1->PageBin, 7);
    run("begin Page1.LoadFromFile('/no/such/background.bmp') end");
    EXPECT_EQ(page1->BackPicture, nullptr);
}

} // namespace
