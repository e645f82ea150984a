// A corpus of SQL statements written for the lexer's tests and benchmark: the odd corners of
// the grammar (quotes inside quotes, comments in odd places, numbers with and without digits
// around the separator, parameters of every style, blobs, unterminated texts at the end).
#pragma once

#include <string>
#include <vector>

inline const std::vector<std::wstring>& SqlCorpus() {
    static const std::vector<std::wstring> corpus = {
        L"SELECT * FROM t",
        L"select distinct a, b from t where a <> b order by 1 desc",
        L"SELECT a FROM t1 INTERSECT SELECT a FROM t2 UNION ALL SELECT a FROM t3 MINUS SELECT 1",
        L"INSERT INTO \"My \"\"Quoted\"\" Table\" (\"col 1\", [col2]) VALUES (:p1, ?, ?2, @x, $3)",
        L"UPDATE t SET name = 'O''Brien', note = '' WHERE id = :id",
        L"DELETE FROM t WHERE x IN (SELECT y FROM u WHERE z IS NOT NULL) -- trailing comment",
        L"SELECT X'00FF', x'0a', .5, 5., 1.5e10, 1e-3, 0.0001, 00012 FROM dual",
        L"SELECT /* comment with * and / inside */ a /**/ FROM /*/ odd */ t",
        L"SELECT a -- one\r\n, b -- two\n, c FROM t",
        L"select count(*)cnt,max(a)-min(a)as spread from t group by b having count(*)>1",
        L"SELECT 'multi\nline\r\nstring', \"multi\nline ident\" FROM t",
        L"SELECT #temp.a, t$x, _under, a1b2 FROM #temp",
        L"SELECT a||b, a|b, a&b, ~a, a^b, a%b, a<=b, a>=b, a!=b, a==b FROM t",
        L"CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT DEFAULT 'x', CHECK (id > 0));",
        L"BEGIN TRANSACTION; SAVEPOINT s1; RELEASE s1; ROLLBACK TO s1; COMMIT;",
        L"SELECT a FROM t LIMIT 10 OFFSET 20 FOR UPDATE",
        L"SELECT * FROM a LEFT OUTER JOIN b ON a.id = b.id RIGHT JOIN c ON 1 = 1 FULL JOIN d ON "
        L"0=0",
        L"SELECT \u00e9t\u00e9, \u4e2d\u6587 FROM \u8868 WHERE \u5217 = '\u503c'",
        L"EXECUTE PROCEDURE p(:in_1, :\"quoted param\")",
        L"SELECT {fn NOW()}, {d '2020-01-01'}, `backticked` FROM t",
        L"SELECT a FROM t WHERE b LIKE '%x\\_y%' ESCAPE '\\'",
        L"SELECT CASE WHEN a THEN 'yes' ELSE 'no' END FROM t;;;",
        L"INSERT INTO t VALUES(1,2,3)RETURNING id INTO :new_id",
        L"SELECT\t\ta\r\rFROM\n\nt",
        L"SELECT 1 FROM t WHERE a = -1 AND b = +2 AND c = - - 3",
        L"SELECT ''''', '''' FROM t",
        L"SELECT \"\" FROM \"\"\"\"",
        L"SELECT a.b.c.d, a . b FROM s.t AS x",
        L"SELECT :a:b, ::c, a::int FROM t",
        L"SELECT 1--2\n/3",
        L"SELECT 'unterminated",
        L"SELECT \"unterminated ident",
        L"SELECT a /* unterminated comment",
        L"SELECT a --",
        L"/",
        L"-",
        L"'",
        L"",
    };
    return corpus;
}
