package ecf;

import java.math.BigDecimal;
import java.math.RoundingMode;

/**
 * The printer's everyday operations with Java names. Amounts are BigDecimals
 * in reais, results come back as values, and an operation the printer refuses
 * or the line fails throws a {@link PrinterException}. {@link EcfLibrary} has
 * every export for the rest.
 *
 * <p>Calls block until the printer has answered; the library serialises
 * nothing, so use one Printer per thread or lock.
 */
public final class Printer {
    /** The receipt in progress, or else the last one. */
    public static final class ReceiptStatus {
        public int coo;             // the last document's number (its last 4 digits)
        public int state;           // 0 idle, 1 open, 2 subtotalled, 3 paying, 4 paid, 5, 6 non-fiscal
        public int items;           // items not cancelled
        public String date;         // dd/mm/yy
        public int ccf;             // fiscal receipt counter
        public BigDecimal totalDue;
        public BigDecimal totalPaid;
    }

    private final EcfLibrary ecf;
    private boolean noReport;  // an older library, without the exchange report

    /** Loads the library and selects COM1..COM4 (1..4) for every later call in this process. */
    public Printer(int port) {
        this(EcfLibrary.load(), port);
    }

    public Printer(EcfLibrary ecf, int port) {
        if (port < 1 || port > 4) {
            throw new IllegalArgumentException("port must be 1 to 4");
        }
        this.ecf = ecf;
        ecf.ChangePort(port - 1);
    }

    /** The library's version, e.g. "1.1.0". */
    public String version() {
        return ecf.ecf_version().getString(0, "UTF-8");
    }

    /** What the last export called on this thread did on the line. */
    public EcfLibrary.ExchangeInfo lastExchange() {
        EcfLibrary.ExchangeInfo info = new EcfLibrary.ExchangeInfo();
        ecf.ecf_last_exchange(info);
        return info;
    }

    /** Sells an item by description and price. */
    public void sellItem(String description, BigDecimal price, int taxRate) {
        check("ecfVendaItem", ecf.ecfVendaItem(description, cents(price), taxRate));
    }

    /** Sells an item by code, quantity (three decimals) and unit price. */
    public void sellItem(String code, String description, BigDecimal quantity, BigDecimal unitPrice, int taxRate) {
        BigDecimal whole = quantity.setScale(0, RoundingMode.DOWN);
        String thousandths = String.format("%03d", quantity.subtract(whole).movePointRight(3).intValue());
        check("ecfVenda_Item", ecf.ecfVenda_Item(code, description, whole.toPlainString(), thousandths,
                cents(unitPrice), (byte) taxRate));
    }

    public void subtotal() {
        check("ecfSubTotal", ecf.ecfSubTotal());
    }

    /** Pays part or all of the subtotalled receipt (type 1 is cash). */
    public void pay(int paymentType, BigDecimal amount) {
        check("ecfPagamento", ecf.ecfPagamento((byte) paymentType, "", cents(amount), 0));
    }

    /** Closes the paid receipt, printing a closing message. */
    public void closeReceipt(String message) {
        check("ecfFimTrans", ecf.ecfFimTrans(message));
    }

    /** Cancels the receipt in progress, or the last one. */
    public void cancelReceipt(String operatorName) {
        check("ecfCancVenda", ecf.ecfCancVenda(operatorName));
    }

    public void xReading(String operatorName) {
        check("ecfLeituraX", ecf.ecfLeituraX(operatorName));
    }

    public void zReduction(String operatorName) {
        check("ecfReducaoZ", ecf.ecfReducaoZ(operatorName));
    }

    /** Reads the fiscal memory's reductions first..last into a report file. */
    public void readFiscalMemory(String reportFile, int first, int last) {
        check("ecfLeitMemFisc", ecf.ecfLeitMemFisc((byte) 4, "", "", first, last, new EcfLibrary.FileName(reportFile)));
    }

    /**
     * The printer's status: its state, the last status byte and three flags,
     * as eight digits ("00000001": idle, Z reduction done).
     */
    public String status() {
        return queryText("ecfStatusImp", ecf.ecfStatusImp());
    }

    /** One tax rate's entry: kind, programmed, rate, sold and tax today. */
    public String taxRate(int index) {
        return queryText("ecfStatusAliquotas", ecf.ecfStatusAliquotas((byte) index));
    }

    public ReceiptStatus receipt() {
        byte[] coo = new byte[EcfLibrary.ecfParamStatusCup_coo_size];
        byte[] state = new byte[EcfLibrary.ecfParamStatusCup_state_size];
        byte[] items = new byte[EcfLibrary.ecfParamStatusCup_items_size];
        byte[] date = new byte[EcfLibrary.ecfParamStatusCup_date_size];
        byte[] ccf = new byte[EcfLibrary.ecfParamStatusCup_ccf_size];
        byte[] due = new byte[EcfLibrary.ecfParamStatusCup_total_due_size];
        byte[] paid = new byte[EcfLibrary.ecfParamStatusCup_total_paid_size];
        check("ecfParamStatusCup", ecf.ecfParamStatusCup(coo, state, items, date, ccf, due, paid));
        ReceiptStatus status = new ReceiptStatus();
        status.coo = number("coo", coo).intValue();
        status.state = number("state", state).intValue();
        status.items = number("items", items).intValue();
        status.date = EcfLibrary.text(date);
        status.ccf = number("ccf", ccf).intValue();
        status.totalDue = number("total_due", due).movePointLeft(2);
        status.totalPaid = number("total_paid", paid).movePointLeft(2);
        return status;
    }

    /**
     * Throws a PrinterException unless result is 0 and, where the library
     * reports its exchanges, the printer's answer came whole (a printer that
     * stays silent, or a reply cut short, still returns 0).
     */
    public void check(String operation, int result) {
        EcfLibrary.ExchangeInfo exchange = report();
        boolean whole = exchange == null || exchange.bytes_received >= exchange.bytes_expected;
        if (result == 0 && whole) {
            return;
        }
        String text;
        if (result != 0) {
            text = exchange != null ? ecf.ecf_result_text(result, "en").getString(0, "UTF-8") : "";
        } else {
            text = "the printer answered " + exchange.bytes_received + " of " + exchange.bytes_expected + " bytes";
        }
        throw new PrinterException(operation, result, text, exchange);
    }

    private EcfLibrary.ExchangeInfo report() {
        if (noReport) {
            return null;
        }
        try {
            return lastExchange();
        } catch (UnsatisfiedLinkError e) {
            noReport = true;
            return null;
        }
    }

    // A text form answers "Erro: <result>" when its exchange failed.
    private String queryText(String operation, String text) {
        int result = 0;
        if (text != null && text.matches("Erro: -?\\d{1,9}")) {
            result = Integer.parseInt(text.substring(6));
        }
        check(operation, result);
        return text;
    }

    private static String cents(BigDecimal amount) {
        if (amount.signum() < 0) {
            throw new IllegalArgumentException("amount must not be negative");
        }
        return amount.movePointRight(2).setScale(0, RoundingMode.HALF_UP).toPlainString();
    }

    // The printer's fields are digits; anything else is a reply gone wrong.
    private static BigDecimal number(String field, byte[] buffer) {
        String text = EcfLibrary.text(buffer);
        if (!text.matches("\\d+")) {
            throw new NumberFormatException("ecfParamStatusCup: " + field + " is \"" + text + "\", not digits");
        }
        return new BigDecimal(text);
    }
}
