{ receipt_day: a day at the till through unit ecf, against a freshly started
  simulated printer on COM1 (the same day as tests/wine/receipt_day.c, so that
  the paper and the fiscal memory report can be compared with its own).

      receipt_day REPORT_FILE

  Before the sale it names non-fiscal document 3 with a 'Ç' (code page 850)
  and reads the name back, which prints nothing. Each check prints one line;
  the exit status is 1 when any failed. Builds in Free Pascal's delphi and
  objfpc modes. }
program receipt_day;

uses
  ecf;

var
  passed, failed: LongInt;

procedure Check(ok: Boolean; const what: AnsiString);
begin
  if ok then
  begin
    Inc(passed);
    WriteLn('ok    ', what);
  end
  else
  begin
    Inc(failed);
    WriteLn('FAIL  ', what);
  end;
end;

procedure Accepted(const what: AnsiString; answer: LongInt);
var
  shown: AnsiString;
begin
  Str(answer, shown);
  Check(answer = 0, what + ' (result ' + shown + ')');
end;

procedure Expect(const what: AnsiString; got: PAnsiChar; const want: AnsiString);
begin
  Check(AnsiString(got) = want, what + ': "' + AnsiString(got) + '"');
end;

{ The receipt's items, total and payment through the parameter form. }
procedure ReceiptStatus(const when, paid: AnsiString);
var
  coo: array[0..ecfParamStatusCup_coo_size - 1] of AnsiChar;
  state: array[0..ecfParamStatusCup_state_size - 1] of AnsiChar;
  items: array[0..ecfParamStatusCup_items_size - 1] of AnsiChar;
  date: array[0..ecfParamStatusCup_date_size - 1] of AnsiChar;
  ccf: array[0..ecfParamStatusCup_ccf_size - 1] of AnsiChar;
  due: array[0..ecfParamStatusCup_total_due_size - 1] of AnsiChar;
  total_paid: array[0..ecfParamStatusCup_total_paid_size - 1] of AnsiChar;
begin
  Accepted('ecfParamStatusCup ' + when, ecfParamStatusCup(@coo[0], @state[0], @items[0],
    @date[0], @ccf[0], @due[0], @total_paid[0]));
  Expect('  items', @items[0], '000002');
  Expect('  total due', @due[0], '000000000000000004637');
  Expect('  total paid', @total_paid[0], paid);
end;

procedure Day(const reportFile: AnsiString);
const
  DocumentName = 'REFOR'#$80'O DE CAIXA';
var
  info: TEcfExchangeInfo;
  state, lastStatus, flags: Byte;
begin
  Check(ChangePort(0) = 0, 'ChangePort(0)');
  Check(AnsiString(ecf_version) <> '', 'ecf_version: ' + AnsiString(ecf_version));
  Expect('ecf_result_text(1010, en)', ecf_result_text(1010, 'en'), 'the port is in use');

  Accepted('ecfProgNFComprov 3', ecfProgNFComprov('3', DocumentName, '1', '0', '0', '0', '0', 'RC'));
  Check(Copy(AnsiString(ecfStatusDocsNFs(3)), 3, Length(DocumentName)) = DocumentName,
    'ecfStatusDocsNFs(3) gives the name back in code page 850');

  Expect('ecfStatusImp before the sale', ecfStatusImp, '00000000');
  Accepted('ecfVendaItem', ecfVendaItem('ARROZ TIPO 1 5KG', '2390', 1));
  Accepted('ecfVenda_Item', ecfVenda_Item('7891000100103', 'FEIJAO CARIOCA 1KG', '2', '500', '899', 2));
  ReceiptStatus('with two items', '000000000000000000000');
  Accepted('ecfSubTotal', ecfSubTotal);
  Accepted('ecfPagamento', ecfPagamento(1, '', '5000', 0));
  Accepted('ecfFimTrans', ecfFimTrans('OBRIGADO'));
  ReceiptStatus('after closing', '000000000000000005000');
  Expect('ecfStatusAliquotas(1)', ecfStatusAliquotas(1), 'T117,00%0000000000000239000000000000406');

  Accepted('ecfLeituraX', ecfLeituraX('CAIXA 01'));
  Accepted('ecfReducaoZ', ecfReducaoZ('CAIXA 01'));
  Expect('ecfStatusImp after the Z reduction', ecfStatusImp, '00000001');
  Accepted('ecfParamStatusImp', ecfParamStatusImp(state, lastStatus, flags));
  Check((state = 0) and (flags = $08), 'ecfParamStatusImp: idle, Z reduction done');

  Accepted('ecfLeitMemFisc', ecfLeitMemFisc(4, '', '', 0, 9999, PAnsiChar(reportFile)));
  FillChar(info, SizeOf(info), 0);
  info.size := SizeOf(info);
  Accepted('ecf_last_exchange', ecf_last_exchange(info));
  Check((info.result = 0) and (info.bytes_received = info.bytes_expected),
    'ecf_last_exchange: the read-out came whole');
end;

begin
  passed := 0;
  failed := 0;
  if ParamCount <> 1 then
  begin
    WriteLn('usage: receipt_day REPORT_FILE');
    Halt(2);
  end;
  Day(AnsiString(ParamStr(1)));
  WriteLn(passed, ' passed, ', failed, ' failed');
  if failed <> 0 then
    Halt(1);
end.
