// Ecf.Printer: the printer's everyday operations with .NET names. Amounts are
// decimals in reais, results come back as values, and an operation the printer
// refuses or the line fails throws a PrinterException. Native has every
// export for the rest.
using System;
using System.Globalization;

namespace Ecf
{
    /// <summary>An export that did not succeed: its result, the library's text for it
    /// and, where the library reports it, what happened on the line.</summary>
    public class PrinterException : Exception
    {
        readonly string operation;
        readonly int result;
        readonly ExchangeInfo? exchange;

        public PrinterException(string operation, int result, string text, ExchangeInfo? exchange)
            : base(Describe(operation, result, text, exchange))
        {
            this.operation = operation;
            this.result = result;
            this.exchange = exchange;
        }

        /// <summary>The export that failed, e.g. "ecfVendaItem".</summary>
        public string Operation { get { return operation; } }

        /// <summary>What it returned: the printer's status byte or a result code of the link.</summary>
        public int Result { get { return result; } }

        /// <summary>The exchange report (null with a library that has none).</summary>
        public ExchangeInfo? Exchange { get { return exchange; } }

        static string Describe(string operation, int result, string text, ExchangeInfo? exchange)
        {
            string message = string.Format(CultureInfo.InvariantCulture, "{0}: {1} ({2})", operation, result, text);
            if (exchange.HasValue && exchange.Value.failed_step != Native.ECF_STEP_NONE)
            {
                ExchangeInfo info = exchange.Value;
                message += string.Format(CultureInfo.InvariantCulture, "; stopped at step {0} on {1}, system error {2}",
                                         info.failed_step, Cp850.GetString(info.device), info.system_error);
            }
            return message;
        }
    }

    /// <summary>The receipt in progress, or else the last one.</summary>
    public sealed class ReceiptStatus
    {
        public int Coo;         // the last document's number (its last 4 digits)
        public int State;       // 0 idle, 1 open, 2 subtotalled, 3 paying, 4 paid, 5, 6 non-fiscal
        public int Items;       // items not cancelled
        public string Date;     // dd/mm/yy
        public int Ccf;         // fiscal receipt counter
        public decimal TotalDue;
        public decimal TotalPaid;
    }

    /// <summary>The printer on one serial port. Calls block until the printer has
    /// answered; the library serialises nothing, so use one Printer per thread or lock.</summary>
    public sealed class Printer
    {
        /// <summary>Selects COM1..COM4 (1..4) for every later call in this process.</summary>
        public Printer(int port)
        {
            if (port < 1 || port > 4) throw new ArgumentOutOfRangeException("port", "1 to 4");
            Native.ChangePort(port - 1);
        }

        /// <summary>The library's version, e.g. "1.1.0".</summary>
        public static string Version { get { return Native.ecf_version(); } }

        /// <summary>What the last export called on this thread did on the line.</summary>
        public static ExchangeInfo LastExchange()
        {
            ExchangeInfo info = ExchangeInfo.Create();
            Native.ecf_last_exchange(ref info);
            return info;
        }

        /// <summary>Sells an item by description and price.</summary>
        public void SellItem(string description, decimal price, int taxRate)
        {
            Check("ecfVendaItem", Native.ecfVendaItem(description, Cents(price), taxRate));
        }

        /// <summary>Sells an item by code, quantity (three decimals) and unit price.</summary>
        public void SellItem(string code, string description, decimal quantity, decimal unitPrice, byte taxRate)
        {
            decimal whole = decimal.Truncate(quantity);
            string thousandths = ((int)((quantity - whole) * 1000)).ToString("000", CultureInfo.InvariantCulture);
            Check("ecfVenda_Item", Native.ecfVenda_Item(code, description, whole.ToString(CultureInfo.InvariantCulture),
                                                        thousandths, Cents(unitPrice), taxRate));
        }

        public void Subtotal() { Check("ecfSubTotal", Native.ecfSubTotal()); }

        /// <summary>Pays part or all of the subtotalled receipt (type 1 is cash).</summary>
        public void Pay(byte paymentType, decimal amount)
        {
            Check("ecfPagamento", Native.ecfPagamento(paymentType, "", Cents(amount), 0));
        }

        /// <summary>Closes the paid receipt, printing a closing message.</summary>
        public void CloseReceipt(string message) { Check("ecfFimTrans", Native.ecfFimTrans(message)); }

        /// <summary>Cancels the receipt in progress, or the last one.</summary>
        public void CancelReceipt(string operatorName) { Check("ecfCancVenda", Native.ecfCancVenda(operatorName)); }

        public void XReading(string operatorName) { Check("ecfLeituraX", Native.ecfLeituraX(operatorName)); }

        public void ZReduction(string operatorName) { Check("ecfReducaoZ", Native.ecfReducaoZ(operatorName)); }

        /// <summary>Reads the fiscal memory's reductions first..last into a report file.</summary>
        public void ReadFiscalMemory(string reportFile, uint first, uint last)
        {
            Check("ecfLeitMemFisc", Native.ecfLeitMemFisc(4, "", "", first, last, reportFile));
        }

        /// <summary>The printer's status: its state, the last status byte and three flags,
        /// as eight digits ("00000001": idle, Z reduction done).</summary>
        public string Status() { return QueryText("ecfStatusImp", Native.ecfStatusImp()); }

        /// <summary>One tax rate's entry: kind, programmed, rate, sold and tax today.</summary>
        public string TaxRate(byte index) { return QueryText("ecfStatusAliquotas", Native.ecfStatusAliquotas(index)); }

        public ReceiptStatus Receipt()
        {
            byte[] coo = new byte[Native.ecfParamStatusCup_coo_size];
            byte[] state = new byte[Native.ecfParamStatusCup_state_size];
            byte[] items = new byte[Native.ecfParamStatusCup_items_size];
            byte[] date = new byte[Native.ecfParamStatusCup_date_size];
            byte[] ccf = new byte[Native.ecfParamStatusCup_ccf_size];
            byte[] due = new byte[Native.ecfParamStatusCup_total_due_size];
            byte[] paid = new byte[Native.ecfParamStatusCup_total_paid_size];
            Check("ecfParamStatusCup", Native.ecfParamStatusCup(coo, state, items, date, ccf, due, paid));
            var status = new ReceiptStatus();
            status.Coo = (int)Number("coo", coo);
            status.State = (int)Number("state", state);
            status.Items = (int)Number("items", items);
            status.Date = Native.Text(date);
            status.Ccf = (int)Number("ccf", ccf);
            status.TotalDue = Number("total_due", due) / 100m;
            status.TotalPaid = Number("total_paid", paid) / 100m;
            return status;
        }

        /// <summary>Throws a PrinterException unless result is 0 and, where the library
        /// reports its exchanges, the printer's answer came whole (a printer that stays
        /// silent, or a reply cut short, still returns 0).</summary>
        public static void Check(string operation, int result)
        {
            ExchangeInfo? exchange = Report();
            if (result == 0 && (!exchange.HasValue || exchange.Value.bytes_received >= exchange.Value.bytes_expected))
                return;
            string text;
            if (result != 0)
                text = exchange.HasValue ? Native.ecf_result_text(result, "en") : "";
            else
                text = string.Format(CultureInfo.InvariantCulture, "the printer answered {0} of {1} bytes",
                                     exchange.Value.bytes_received, exchange.Value.bytes_expected);
            throw new PrinterException(operation, result, text, exchange);
        }

        static bool noReport;  // an older library, without the exchange report

        static ExchangeInfo? Report()
        {
            if (noReport) return null;
            try
            {
                return LastExchange();
            }
            catch (EntryPointNotFoundException)
            {
                noReport = true;
                return null;
            }
        }

        // A text form answers "Erro: <result>" when its exchange failed.
        static string QueryText(string operation, string text)
        {
            const string prefix = "Erro: ";
            int result;
            if (text == null || !text.StartsWith(prefix, StringComparison.Ordinal) ||
                !int.TryParse(text.Substring(prefix.Length), NumberStyles.Integer, CultureInfo.InvariantCulture, out result))
                result = 0;
            Check(operation, result);
            return text;
        }

        static string Cents(decimal amount)
        {
            if (amount < 0) throw new ArgumentOutOfRangeException("amount", "not negative");
            return decimal.Round(amount * 100m).ToString("0", CultureInfo.InvariantCulture);
        }

        // The printer's fields are digits; anything else is a reply gone wrong.
        static decimal Number(string field, byte[] buffer)
        {
            string text = Native.Text(buffer);
            decimal value;
            if (!decimal.TryParse(text, NumberStyles.None, CultureInfo.InvariantCulture, out value))
                throw new FormatException(string.Format(CultureInfo.InvariantCulture,
                                                        "ecfParamStatusCup: {0} is \"{1}\", not digits", field, text));
            return value;
        }
    }
}
