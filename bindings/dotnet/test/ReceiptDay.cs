// ReceiptDay: a day at the till through Ecf.Printer, against a freshly started
// simulated printer on COM1 (the same day as tests/wine/receipt_day.c, so that
// the paper and the fiscal memory report can be compared with its own).
//
//     mono ReceiptDay.exe REPORT_FILE
//
// Before the sale it names non-fiscal document 3 with a 'Ç' through Native and
// reads the name back (code page 850 both ways; nothing is printed); after the
// Z reduction a sale must be refused with an exception. Each check prints one
// line; the exit status is 1 when any failed.
using System;
using Ecf;

static class ReceiptDay
{
    static int passed, failed;

    static void Check(bool ok, string what)
    {
        if (ok) passed++; else failed++;
        Console.WriteLine("{0}  {1}", ok ? "ok  " : "FAIL", what);
    }

    static void Expect(string what, object got, object want)
    {
        Check(Equals(got, want), string.Format("{0}: {1}", what, got));
    }

    // The name's bytes as the printer answers them: 'Ç' must have gone as 0x80.
    static string DocumentName(byte index)
    {
        byte[] name = new byte[Native.ecfParamStatusDocsNFs_name_size];
        Native.ecfParamStatusDocsNFs(index, new byte[Native.ecfParamStatusDocsNFs_used_today_size], name,
                                     new byte[Native.ecfParamStatusDocsNFs_options_size],
                                     new byte[Native.ecfParamStatusDocsNFs_code_size],
                                     new byte[Native.ecfParamStatusDocsNFs_issued_today_size],
                                     new byte[Native.ecfParamStatusDocsNFs_cancelled_today_size],
                                     new byte[Native.ecfParamStatusDocsNFs_issued_shift_size],
                                     new byte[Native.ecfParamStatusDocsNFs_issued_total_size],
                                     new byte[Native.ecfParamStatusDocsNFs_last_coo_size],
                                     new byte[Native.ecfParamStatusDocsNFs_cancelled_total_size]);
        return name[5] == 0x80 ? Native.Text(name).TrimEnd() : "byte 5 is not 0x80: " + Native.Text(name);
    }

    static void Day(string reportFile)
    {
        var printer = new Printer(1);
        Check(Printer.Version.Length > 0, "version " + Printer.Version);

        const string name = "REFORÇO DE CAIXA";
        Expect("ecfProgNFComprov 3", Native.ecfProgNFComprov("3", name, "1", "0", "0", "0", "0", "RC"), 0);
        Expect("document 3's name as the printer holds it", DocumentName(3), name);

        Expect("status before the sale", printer.Status(), "00000000");
        printer.SellItem("ARROZ TIPO 1 5KG", 23.90m, 1);
        printer.SellItem("7891000100103", "FEIJAO CARIOCA 1KG", 2.5m, 8.99m, 2);
        ReceiptStatus open = printer.Receipt();
        Expect("items", open.Items, 2);
        Expect("total due", open.TotalDue, 46.37m);
        printer.Subtotal();
        printer.Pay(1, 50m);
        printer.CloseReceipt("OBRIGADO");
        Expect("total paid", printer.Receipt().TotalPaid, 50m);
        Expect("tax rate 1", printer.TaxRate(1), "T117,00%0000000000000239000000000000406");

        printer.XReading("CAIXA 01");
        printer.ZReduction("CAIXA 01");
        Expect("status after the Z reduction", printer.Status(), "00000001");
        byte state, lastStatus, flags;
        Expect("ecfParamStatusImp", Native.ecfParamStatusImp(out state, out lastStatus, out flags), 0);
        Expect("state and flags: idle, Z reduction done", state * 0x100 + flags, 0x08);
        try
        {
            printer.SellItem("ARROZ TIPO 1 5KG", 23.90m, 1);
            Check(false, "a sale after the Z reduction is refused");
        }
        catch (PrinterException e)
        {
            Check(e.Result != 0 && e.Exchange.HasValue && e.Exchange.Value.bytes_received == 1,
                  "a sale after the Z reduction is refused: " + e.Message);
        }

        printer.ReadFiscalMemory(reportFile, 0, 9999);
        Check(true, "fiscal memory read into " + reportFile);
    }

    static int Main(string[] args)
    {
        if (args.Length != 1)
        {
            Console.Error.WriteLine("usage: ReceiptDay REPORT_FILE");
            return 2;
        }
        try
        {
            Day(args[0]);
        }
        catch (PrinterException e)
        {
            Check(false, e.Message);
        }
        Console.WriteLine("{0} passed, {1} failed", passed, failed);
        return failed == 0 ? 0 : 1;
    }
}
