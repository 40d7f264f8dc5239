import QtQml 2.15

// Looks texts up in the program's translator under this screen's context. Bindings that call
// txt() or msg() are evaluated again when the language changes.
QtObject {
    property string translationClassName: ""

    function txt(key, defaultText, parameters) {
        return translationEngine ? translationEngine.txt(translationClassName, key, defaultText, parameters)
                                 : defaultText
    }

    function msg(key, defaultText, parameters) {
        return translationEngine ? translationEngine.msg(translationClassName, key, defaultText, parameters)
                                 : defaultText
    }

    // A name from outside, put among the program's own words: its direction marks stay inside it.
    function name(text) {
        return translationEngine ? translationEngine.isolated(text) : text
    }

    function tip(key, defaultText, parameters) {
        return translationEngine ? translationEngine.tip(translationClassName, key, defaultText, parameters)
                                 : defaultText
    }
}
