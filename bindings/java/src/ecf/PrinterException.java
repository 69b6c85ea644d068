package ecf;

/**
 * An export that did not succeed: its result, the library's text for it and,
 * where the library reports it, what happened on the line.
 */
public class PrinterException extends RuntimeException {
    private static final long serialVersionUID = 1L;

    private final String operation;
    private final int result;
    private final transient EcfLibrary.ExchangeInfo exchange;

    public PrinterException(String operation, int result, String text, EcfLibrary.ExchangeInfo exchange) {
        super(describe(operation, result, text, exchange));
        this.operation = operation;
        this.result = result;
        this.exchange = exchange;
    }

    /** The export that failed, e.g. "ecfVendaItem". */
    public String operation() {
        return operation;
    }

    /** What it returned: the printer's status byte or a result code of the link. */
    public int result() {
        return result;
    }

    /** The exchange report, or null with a library that has none. */
    public EcfLibrary.ExchangeInfo exchange() {
        return exchange;
    }

    private static String describe(String operation, int result, String text, EcfLibrary.ExchangeInfo exchange) {
        String message = operation + ": " + result + " (" + text + ")";
        if (exchange != null && exchange.failed_step != EcfLibrary.ECF_STEP_NONE) {
            String device = EcfLibrary.text(exchange.device);
            message += "; stopped at step " + exchange.failed_step + " on " + device
                    + ", system error " + exchange.system_error;
        }
        return message;
    }
}
