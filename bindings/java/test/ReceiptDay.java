// ReceiptDay: a day at the till through ecf.Printer, against a freshly started
// simulated printer on COM1 (the same day as tests/wine/receipt_day.c, so that
// the paper and the fiscal memory report can be compared with its own).
//
//     java -cp ...:jna.jar ReceiptDay REPORT_FILE
//
// Before the sale it names non-fiscal document 3 with a 'Ç' through EcfLibrary
// and reads the name back (code page 850 both ways; nothing is printed); after
// the Z reduction a sale must be refused with an exception. Each check prints
// one line; the exit status is 1 when any failed.
import com.sun.jna.ptr.ByteByReference;
import ecf.EcfLibrary;
import ecf.Printer;
import ecf.PrinterException;
import java.math.BigDecimal;
import java.util.Objects;

public final class ReceiptDay {
    private static int passed;
    private static int failed;

    private static void check(boolean ok, String what) {
        if (ok) {
            passed++;
        } else {
            failed++;
        }
        System.out.println((ok ? "ok    " : "FAIL  ") + what);
    }

    private static void expect(String what, Object got, Object want) {
        check(Objects.equals(got, want), what + ": " + got);
    }

    // The name's bytes as the printer answers them: 'Ç' must have gone as 0x80.
    private static String documentName(EcfLibrary ecf, int index) {
        byte[] name = new byte[EcfLibrary.ecfParamStatusDocsNFs_name_size];
        ecf.ecfParamStatusDocsNFs((byte) index, new byte[EcfLibrary.ecfParamStatusDocsNFs_used_today_size], name,
                new byte[EcfLibrary.ecfParamStatusDocsNFs_options_size],
                new byte[EcfLibrary.ecfParamStatusDocsNFs_code_size],
                new byte[EcfLibrary.ecfParamStatusDocsNFs_issued_today_size],
                new byte[EcfLibrary.ecfParamStatusDocsNFs_cancelled_today_size],
                new byte[EcfLibrary.ecfParamStatusDocsNFs_issued_shift_size],
                new byte[EcfLibrary.ecfParamStatusDocsNFs_issued_total_size],
                new byte[EcfLibrary.ecfParamStatusDocsNFs_last_coo_size],
                new byte[EcfLibrary.ecfParamStatusDocsNFs_cancelled_total_size]);
        String text = EcfLibrary.text(name);
        return name[5] == (byte) 0x80 ? text.trim() : "byte 5 is not 0x80: " + text;
    }

    private static void day(String reportFile) {
        EcfLibrary ecf = EcfLibrary.load();
        Printer printer = new Printer(ecf, 1);
        check(!printer.version().isEmpty(), "version " + printer.version());

        String name = "REFORÇO DE CAIXA";
        expect("ecfProgNFComprov 3", ecf.ecfProgNFComprov("3", name, "1", "0", "0", "0", "0", "RC"), 0);
        expect("document 3's name as the printer holds it", documentName(ecf, 3), name);

        expect("status before the sale", printer.status(), "00000000");
        printer.sellItem("ARROZ TIPO 1 5KG", new BigDecimal("23.90"), 1);
        printer.sellItem("7891000100103", "FEIJAO CARIOCA 1KG", new BigDecimal("2.5"), new BigDecimal("8.99"), 2);
        Printer.ReceiptStatus open = printer.receipt();
        expect("items", open.items, 2);
        expect("total due", open.totalDue, new BigDecimal("46.37"));
        printer.subtotal();
        printer.pay(1, new BigDecimal("50.00"));
        printer.closeReceipt("OBRIGADO");
        expect("total paid", printer.receipt().totalPaid, new BigDecimal("50.00"));
        expect("tax rate 1", printer.taxRate(1), "T117,00%0000000000000239000000000000406");

        printer.xReading("CAIXA 01");
        printer.zReduction("CAIXA 01");
        expect("status after the Z reduction", printer.status(), "00000001");
        ByteByReference state = new ByteByReference();
        ByteByReference lastStatus = new ByteByReference();
        ByteByReference flags = new ByteByReference();
        expect("ecfParamStatusImp", ecf.ecfParamStatusImp(state, lastStatus, flags), 0);
        expect("state and flags: idle, Z reduction done", state.getValue() * 0x100 + flags.getValue(), 0x08);
        try {
            printer.sellItem("ARROZ TIPO 1 5KG", new BigDecimal("23.90"), 1);
            check(false, "a sale after the Z reduction is refused");
        } catch (PrinterException e) {
            check(e.result() != 0 && e.exchange() != null && e.exchange().bytes_received == 1,
                    "a sale after the Z reduction is refused: " + e.getMessage());
        }

        printer.readFiscalMemory(reportFile, 0, 9999);
        check(true, "fiscal memory read into " + reportFile);
    }

    public static void main(String[] args) {
        if (args.length != 1) {
            System.err.println("usage: ReceiptDay REPORT_FILE");
            System.exit(2);
        }
        try {
            day(args[0]);
        } catch (PrinterException e) {
            check(false, e.getMessage());
        }
        System.out.println(passed + " passed, " + failed + " failed");
        System.exit(failed == 0 ? 0 : 1);
    }
}
