#include "corrections.h"

#include "ecf.h"

using ecf::build;
using namespace ecf::receipt;

extern "C" {

// A cancellation carries no amount: nine zeros stand in the discount field.
int32_t ECF_API ecfCancItem(const char* item) {
    return ecf::send(build<kItemOperation>(kCancelItem, 0, item, 0, "000000000"));
}

int32_t ECF_API ecfDescItem(int32_t code, const char* item, const char* discount) {
    return ecf::send(build<kItemOperation>(kDiscountItem, code, item, 0, discount));
}

int32_t ECF_API ecfCancItemDef(const char* item_number, const char* text) {
    return ecf::send(build<kCancItemDef>(item_number, text));
}

int32_t ECF_API ecfCancAcresDescSubTotal(unsigned char kind, unsigned char operation,
                                         const char* text, const char* value) {
    return ecf::send(build<kCancAcresDescSubTotal>(kind, operation, text, value));
}

}  // extern "C"
